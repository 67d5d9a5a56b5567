#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "platform/tray_service.h"

class QSystemTrayIcon;

// The notification area through QSystemTrayIcon. One icon per window and
// identifier; the tray's mouse events come back as the shell's message codes.
class QtTrayService final : public QObject, public TrayService {
public:
    // NOTIFYICONDATA's uFlags.
    static constexpr std::uint32_t kMessageValid = 1;
    static constexpr std::uint32_t kIconValid = 2;
    static constexpr std::uint32_t kTipValid = 4;
    static constexpr int kLeftDoubleClick = 515; // WM_LBUTTONDBLCLK
    static constexpr int kRightButtonUp = 517;   // WM_RBUTTONUP

    QtTrayService();
    ~QtTrayService() override;

    bool notify(int request, const NotifyIconData& record) override;
    bool isAvailable() const override;

    // Receives the message code of each tray event of an icon added with a
    // callback message, after the event itself has been handled.
    void setMessageHandler(std::function<void(int code)> handler) { m_handler = std::move(handler); }

    // The icon shown for a window and identifier, if any.
    QSystemTrayIcon* icon(std::uint32_t window, std::uint32_t id) const;

    // The tip as the shell would show it: the GBK text up to its NUL.
    static QString tipOf(const NotifyIconData& record);

private:
    using Key = std::pair<std::uint32_t, std::uint32_t>;

    void relay(int code);
    void showWhenTrayAppears();

    std::map<Key, std::unique_ptr<QSystemTrayIcon>> m_icons;
    std::function<void(int)> m_handler;
    // Looks for a notification area that was missing when an icon was added.
    QTimer m_trayWatch;
};
