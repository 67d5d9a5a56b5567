#include "platform/qt/qt_tray_service.h"

#include <QAction>
#include <QGuiApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QtWidgets/private/qsystemtrayicon_p.h>
#include <algorithm>

#include "app/menu.h"
#include "app/picture.h"
#include "platform/qt/icons.h"
#include "platform/text_encoding.h"

namespace {

// How often to look for a notification area that appears late, where Qt
// does not follow one by itself. Rare enough to cost an idle program nothing.
constexpr int kTrayWatchMs = 10000;

// Qt decides per icon, once, whether a StatusNotifier host shows it: it
// then has a platform icon that speaks the D-Bus protocol, where an XEmbed
// icon has none. Qt offers no public way to ask.
// Qt exports no type information for its private class, which the
// sanitizer's check of the cast would need.
__attribute__((no_sanitize("vptr"))) bool hasStatusNotifierItem(QSystemTrayIcon& icon)
{
    const auto* d = static_cast<const QSystemTrayIconPrivate*>(QObjectPrivate::get(&icon));
    return d->qpa_sys != nullptr;
}

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
    return found == m_icons.end() ? nullptr : found->second.icon.get();
}

bool QtTrayService::shownByStatusNotifierHost(std::uint32_t window, std::uint32_t id) const
{
    return hostMenu(window, id) != nullptr;
}

QMenu* QtTrayService::hostMenu(std::uint32_t window, std::uint32_t id) const
{
    const auto found = m_icons.find({window, id});
    return found == m_icons.end() ? nullptr : found->second.menu.get();
}

void QtTrayService::setMenu(const Menu& menu, std::function<void(const std::string& item)> chosen)
{
    m_menu = &menu;
    m_chosen = std::move(chosen);
    QPointer<QtTrayService> self(this);
    for (MenuItem* item : menu.items()) {
        item->changed.connect([self, item] {
            if (self)
                self->follow(*item);
        });
    }
}

// A fresh copy per icon: Qt exports an icon's menu on that icon's own
// D-Bus connection.
std::unique_ptr<QMenu> QtTrayService::buildHostMenu()
{
    auto menu = std::make_unique<QMenu>();
    if (!m_menu)
        return menu;
    for (const MenuItem* item : m_menu->items()) {
        if (item->isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromStdString(item->caption()));
        action->setEnabled(item->enabled());
        const std::string name = item->name();
        action->setData(QString::fromStdString(name));
        connect(action, &QAction::triggered, this, [this, name] {
            // The host waits for the answer to its request; the handler may
            // open a modal box or end the program.
            QTimer::singleShot(0, this, [this, name] {
                if (m_chosen)
                    m_chosen(name);
            });
        });
    }
    return menu;
}

void QtTrayService::follow(const MenuItem& item)
{
    const QString name = QString::fromStdString(item.name());
    for (auto& [key, shown] : m_icons) {
        if (!shown.menu)
            continue;
        for (QAction* action : shown.menu->actions()) {
            if (action->data().toString() != name)
                continue;
            action->setText(QString::fromStdString(item.caption()));
            action->setEnabled(item.enabled());
        }
    }
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

    Shown shown;
    shown.icon = std::make_unique<QSystemTrayIcon>();
    QSystemTrayIcon* icon = shown.icon.get();
    const bool statusNotifier = hasStatusNotifierItem(*icon);
    // The record's icon handle is the window's picture at the time of the add.
    const Icon picture =
        (record.uFlags & NotifyIconData::kIconValid) != 0 ? static_cast<Icon>(record.hIcon) : Icon::None;
    const QIcon image = Icons::forPicture(picture);
    icon->setIcon(image.isNull() ? Icons::forPicture(Icon::Idle) : image);
    if ((record.uFlags & NotifyIconData::kTipValid) != 0)
        icon->setToolTip(tipOf(record));
    if ((record.uFlags & NotifyIconData::kMessageValid) != 0) {
        connect(icon, &QSystemTrayIcon::activated, this,
                [this, statusNotifier](QSystemTrayIcon::ActivationReason reason) {
                    if (statusNotifier) {
                        // The host's activation (Qt's Trigger) is what the
                        // double-click is elsewhere; the host shows the menu
                        // itself, so its context request opens no second one.
                        if (reason == QSystemTrayIcon::Trigger)
                            relay(NotifyIconData::kLeftDoubleClick);
                        return;
                    }
                    // Only these two reach the window; a single click or a
                    // middle click means nothing to it.
                    if (reason == QSystemTrayIcon::DoubleClick)
                        relay(NotifyIconData::kLeftDoubleClick);
                    else if (reason == QSystemTrayIcon::Context)
                        relay(NotifyIconData::kRightButtonUp);
                });
    }
    // An XEmbed icon pops up a context menu of its own on a right press:
    // there the window's menu opens on the release instead.
    if (statusNotifier) {
        shown.menu = buildHostMenu();
        icon->setContextMenu(shown.menu.get());
    }
    // Qt's X11 tray places the icon in a notification area that appears
    // later by itself; elsewhere the watch shows it again once there is one.
    if (!isAvailable() && QGuiApplication::platformName() != QLatin1String("xcb"))
        m_trayWatch.start();
    icon->show();
    m_icons.emplace(key, std::move(shown));
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
    for (auto& [key, shown] : m_icons) {
        // Qt's X11 tray follows a new notification area by itself, and the
        // icon then has a place in it; elsewhere showing the icon again
        // makes Qt look for the new tray.
        if (!shown.icon->geometry().isEmpty())
            continue;
        shown.icon->hide();
        shown.icon->show();
    }
}
