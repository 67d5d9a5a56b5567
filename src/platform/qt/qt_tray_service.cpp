#include "platform/qt/qt_tray_service.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <algorithm>

#include "app/picture.h"
#include "platform/qt/icons.h"
#include "platform/text_encoding.h"

namespace {

// How often to look for a notification area that appears late, where Qt
// does not follow one by itself. Rare enough to cost an idle program nothing.
constexpr int kTrayWatchMs = 10000;

} // namespace

QtTrayService::QtTrayService(const TextEncoding& encoding) : m_encoding(encoding)
{
    m_trayWatch.setInterval(kTrayWatchMs);
    connect(&m_trayWatch, &QTimer::timeout, this, [this] { showWhenTrayAppears(); });
}

QtTrayService::~QtTrayService() = default;

bool QtTrayService::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QString QtTrayService::tipOf(const NotifyIconData& record) const
{
    const auto end = std::find(record.szTip.begin(), record.szTip.end(), '\0');
    return QString::fromStdString(m_encoding.gbkToUtf8(std::string(record.szTip.begin(), end)));
}

QSystemTrayIcon* QtTrayService::icon(std::uint32_t window, std::uint32_t id) const
{
    const auto found = m_icons.find({window, id});
    return found == m_icons.end() ? nullptr : found->second.get();
}

bool QtTrayService::notify(int request, const NotifyIconData& record)
{
    const Key key{record.hWnd, record.uID};
    if (request == Delete) {
        const bool removed = m_icons.erase(key) > 0;
        if (m_icons.empty())
            m_trayWatch.stop();
        return removed;
    }
    if (request != Add || m_icons.count(key) > 0)
        return false;

    auto icon = std::make_unique<QSystemTrayIcon>();
    // The record's icon handle is the window's picture at the time of the add.
    const Icon picture =
        (record.uFlags & NotifyIconData::kIconValid) != 0 ? static_cast<Icon>(record.hIcon) : Icon::None;
    const QIcon shown = Icons::forPicture(picture);
    icon->setIcon(shown.isNull() ? Icons::forPicture(Icon::Idle) : shown);
    if ((record.uFlags & NotifyIconData::kTipValid) != 0)
        icon->setToolTip(tipOf(record));
    if ((record.uFlags & NotifyIconData::kMessageValid) != 0) {
        connect(icon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            // Only these two reach the window; a single click or a middle
            // click means nothing to it.
            if (reason == QSystemTrayIcon::DoubleClick)
                relay(NotifyIconData::kLeftDoubleClick);
            else if (reason == QSystemTrayIcon::Context)
                relay(NotifyIconData::kRightButtonUp);
        });
    }
    // Qt's X11 tray places the icon in a notification area that appears
    // later by itself; elsewhere the watch shows it again once there is one.
    if (!isAvailable() && QGuiApplication::platformName() != QLatin1String("xcb"))
        m_trayWatch.start();
    icon->show();
    m_icons.emplace(key, std::move(icon));
    return true;
}

void QtTrayService::relay(int code)
{
    // The window's handler may open the tray menu or delete this very icon:
    // it runs once the tray's own event handling has returned.
    QTimer::singleShot(0, this, [this, code] {
        if (m_handler)
            m_handler(code);
    });
}

void QtTrayService::showWhenTrayAppears()
{
    if (!isAvailable())
        return;
    m_trayWatch.stop();
    for (auto& [key, icon] : m_icons) {
        // Qt's X11 tray follows a new notification area by itself, and the
        // icon then has a place in it; elsewhere showing the icon again
        // makes Qt look for the new tray.
        if (!icon->geometry().isEmpty())
            continue;
        icon->hide();
        icon->show();
    }
}
