#pragma once

#include <QMenu>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/menu_entry.h"
#include "platform/tray_service.h"

class QSystemTrayIcon;

// The window's notification-area icon through QSystemTrayIcon.
//
// Qt shows an icon one of two ways. On an XEmbed tray (the X11 notification
// area) the icon is a window of ours: a double-click and a right-button
// release on it reach the window, which opens its own menu. Where a
// StatusNotifier host runs (KDE Plasma, GNOME with the AppIndicator
// extension), the host draws the icon and its menu: its activation is the
// one event, and it shows the menu the icon exports over D-Bus, a copy of
// the window's tray menu whose choices reach the window as choices.
class QtTrayService final : public QObject, public TrayService {
public:
    QtTrayService();
    ~QtTrayService() override;

    bool show(Icon icon, const std::string& tip) override;
    void hide() override;
    bool isAvailable() const override;

    // Receives each event of the icon, after the tray's own handling of it
    // has returned.
    void setEventHandler(std::function<void(Event)> handler) { m_handler = std::move(handler); }

    // The menu a StatusNotifier host shows: the window's tray menu as it
    // stands now. Called again whenever a caption or enabled state changes;
    // the menu shown follows. A choice reaches the handler by item name,
    // after the host's request has been answered.
    void setMenu(std::vector<MenuEntry> entries);
    void setMenuHandler(std::function<void(const std::string& item)> chosen) { m_chosen = std::move(chosen); }

    // The icon shown, if any.
    QSystemTrayIcon* icon() const;
    // Whether it is shown by a StatusNotifier host rather than in an XEmbed
    // tray.
    bool shownByStatusNotifierHost() const;
    // The copy of the window's tray menu that a StatusNotifier host shows;
    // none for an icon in an XEmbed tray.
    QMenu* hostMenu() const;

private:
    struct Shown {
        // Declared first, so that the icon, which shows it, goes first.
        std::unique_ptr<QMenu> menu;
        std::unique_ptr<QSystemTrayIcon> icon;
    };

    void relay(Event event);
    void showWhenTrayAppears();
    std::unique_ptr<QMenu> buildHostMenu();

    std::optional<Shown> m_shown;
    std::function<void(Event)> m_handler;
    std::function<void(const std::string&)> m_chosen;
    std::vector<MenuEntry> m_entries;
    // Looks for a notification area that was missing when the icon was shown.
    QTimer m_trayWatch;
};
