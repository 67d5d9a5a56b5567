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
class TextEncoding;

// The notification area through QSystemTrayIcon. One icon per window and
// identifier; the tray's mouse events come back as the shell's message codes.
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

    // The icon shown for a window and identifier, if any.
    QSystemTrayIcon* icon(std::uint32_t window, std::uint32_t id) const;

    // The tip as the shell would show it: the GBK text up to its NUL.
    QString tipOf(const NotifyIconData& record) const;

private:
    using Key = std::pair<std::uint32_t, std::uint32_t>;

    void relay(int code);
    void showWhenTrayAppears();

    const TextEncoding& m_encoding;
    std::map<Key, std::unique_ptr<QSystemTrayIcon>> m_icons;
    std::function<void(int)> m_handler;
    // Looks for a notification area that was missing when an icon was added.
    QTimer m_trayWatch;
};
