#pragma once

#include <QMenu>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/tray_service.h"

class Menu;
class MenuItem;
class QSystemTrayIcon;
class TextEncoding;

// The notification area through QSystemTrayIcon. One icon per window and
// identifier; the tray's mouse events come back as the shell's message codes.
//
// Qt shows an icon one of two ways. On an XEmbed tray (the X11 notification
// area) the icon is a window of ours: a double-click and a right-button
// release on it reach the window, which opens its own menu. Where a
// StatusNotifier host runs (KDE Plasma, GNOME with the AppIndicator
// extension), the host draws the icon and its menu: its activation stands
// for the double-click, and it shows the menu the icon exports over D-Bus,
// a copy of the window's tray menu whose choices reach the window as
// choices.
class QtTrayService final : public QObject, public TrayService {
public:
    // The tip arrives in GBK, as the record carries it.
    explicit QtTrayService(const TextEncoding& encoding);
    ~QtTrayService() override;

    bool notify(int request, const NotifyIconData& record) override;
    bool isAvailable() const override;

    // Receives the message code of each tray event of an icon added with a
    // callback message, after the event itself has been handled.
    void setMessageHandler(std::function<void(int code)> handler) { m_handler = std::move(handler); }

    // The menu a StatusNotifier host shows: the window's tray menu, kept up
    // to date with its captions and enabled states. A choice reaches the
    // handler by item name, after the host's request has been answered.
    void setMenu(const Menu& menu, std::function<void(const std::string& item)> chosen);

    // The icon shown for a window and identifier, if any.
    QSystemTrayIcon* icon(std::uint32_t window, std::uint32_t id) const;
    // Whether that icon is shown by a StatusNotifier host rather than in an
    // XEmbed tray.
    bool shownByStatusNotifierHost(std::uint32_t window, std::uint32_t id) const;
    // The copy of the window's tray menu that a StatusNotifier host shows
    // for that icon; none for an icon in an XEmbed tray.
    QMenu* hostMenu(std::uint32_t window, std::uint32_t id) const;

    // The tip as the shell would show it: the GBK text up to its NUL.
    QString tipOf(const NotifyIconData& record) const;

private:
    using Key = std::pair<std::uint32_t, std::uint32_t>;
    struct Shown {
        // Declared first, so that the icon, which shows it, goes first.
        std::unique_ptr<QMenu> menu;
        std::unique_ptr<QSystemTrayIcon> icon;
    };

    void relay(int code);
    void showWhenTrayAppears();
    std::unique_ptr<QMenu> buildHostMenu();
    void follow(const MenuItem& item);

    const TextEncoding& m_encoding;
    std::map<Key, Shown> m_icons;
    std::function<void(int)> m_handler;
    std::function<void(const std::string&)> m_chosen;
    const Menu* m_menu = nullptr;
    // Looks for a notification area that was missing when an icon was added.
    QTimer m_trayWatch;
};
