#include "platform/qt/qt_tray_service.h"

#include <QAction>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QtWidgets/private/qsystemtrayicon_p.h>

#include "platform/qt/icons.h"

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

QtTrayService::QtTrayService()
{
    m_trayWatch.setInterval(kTrayWatchMs);
    connect(&m_trayWatch, &QTimer::timeout, this, [this] { showWhenTrayAppears(); });
}

QtTrayService::~QtTrayService() = default;

bool QtTrayService::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QSystemTrayIcon* QtTrayService::icon() const
{
    return m_shown ? m_shown->icon.get() : nullptr;
}

bool QtTrayService::shownByStatusNotifierHost() const
{
    return hostMenu() != nullptr;
}

QMenu* QtTrayService::hostMenu() const
{
    return m_shown ? m_shown->menu.get() : nullptr;
}

void QtTrayService::setMenu(std::vector<MenuEntry> entries)
{
    m_entries = std::move(entries);
    // The menu shown keeps its actions; they follow their items by name.
    QMenu* shown = hostMenu();
    if (!shown)
        return;
    for (QAction* action : shown->actions()) {
        const std::string name = action->data().toString().toStdString();
        for (const MenuEntry& entry : m_entries) {
            if (entry.name != name || entry.isSeparator())
                continue;
            action->setText(QString::fromStdString(entry.caption));
            action->setEnabled(entry.enabled);
        }
    }
}

// A fresh copy per icon: Qt exports an icon's menu on that icon's own
// D-Bus connection.
std::unique_ptr<QMenu> QtTrayService::buildHostMenu()
{
    auto menu = std::make_unique<QMenu>();
    for (const MenuEntry& entry : m_entries) {
        if (entry.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromStdString(entry.caption));
        action->setEnabled(entry.enabled);
        const std::string name = entry.name;
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

void QtTrayService::hide()
{
    m_shown.reset();
    m_trayWatch.stop();
}

bool QtTrayService::show(Icon picture, const std::string& tip)
{
    if (m_shown)
        return false;

    Shown shown;
    shown.icon = std::make_unique<QSystemTrayIcon>();
    QSystemTrayIcon* icon = shown.icon.get();
    const bool statusNotifier = hasStatusNotifierItem(*icon);
    const QIcon image = Icons::forPicture(picture);
    icon->setIcon(image.isNull() ? Icons::forPicture(Icon::Idle) : image);
    icon->setToolTip(QString::fromStdString(tip));
    connect(icon, &QSystemTrayIcon::activated, this, [this, statusNotifier](QSystemTrayIcon::ActivationReason reason) {
        if (statusNotifier) {
            // The host reports its activation (Qt's Trigger) and shows the
            // menu itself, so its context request opens no second one.
            if (reason == QSystemTrayIcon::Trigger)
                relay(Event::Activate);
            return;
        }
        // Only these two reach the window; a single click or a middle
        // click means nothing to it.
        if (reason == QSystemTrayIcon::DoubleClick)
            relay(Event::DoubleClick);
        else if (reason == QSystemTrayIcon::Context)
            relay(Event::ContextMenu);
    });
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
    m_shown.emplace(std::move(shown));
    return true;
}

void QtTrayService::relay(Event event)
{
    // The window's handler may open the tray menu or hide this very icon:
    // it runs once the tray's own event handling has returned.
    QTimer::singleShot(0, this, [this, event] {
        if (m_handler)
            m_handler(event);
    });
}

void QtTrayService::showWhenTrayAppears()
{
    if (!isAvailable())
        return;
    m_trayWatch.stop();
    if (!m_shown)
        return;
    // Qt's X11 tray follows a new notification area by itself, and the icon
    // then has a place in it; elsewhere showing the icon again makes Qt look
    // for the new tray.
    if (!m_shown->icon->geometry().isEmpty())
        return;
    m_shown->icon->hide();
    m_shown->icon->show();
}
