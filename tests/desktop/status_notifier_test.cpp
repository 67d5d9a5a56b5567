// The tray on a StatusNotifier desktop, against a real host: the watcher
// and gtk-sni-tray-standalone on the test's own session bus. The host shows
// the icon and its menu; where a click cannot be aimed, the test asks the
// item over D-Bus what the host asks it (Activate, ContextMenu, the menu's
// Event).

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <memory>

#include "desktop_session.h"
#include "fakes/form_harness.h"
#include "platform/qt/icons.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_tray_service.h"

namespace {

using DesktopSession::waitFor;

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

// One entry of the menu a StatusNotifier host shows, as the item exports it.
struct HostMenuEntry {
    int id = 0;
    QString label;
    bool separator = false;
    bool enabled = true;
};

// The item of this process that the watcher lists, as bus name and path.
struct Item {
    QString service;
    QString path = QStringLiteral("/StatusNotifierItem");
};

QDBusMessage callOn(const Item& item, const QString& interface, const QString& method, const QVariantList& args,
                    const QString& path = {})
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(item.service, path.isEmpty() ? item.path : path, interface, method);
    call.setArguments(args);
    return DesktopSession::call(call);
}

QVariant property(const Item& item, const QString& name)
{
    const QDBusMessage reply =
        callOn(item, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {kItemInterface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().front().value<QDBusVariant>().variant();
}

QStringList registeredItems()
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({kWatcher, QStringLiteral("RegisteredStatusNotifierItems")});
    const QDBusMessage reply = DesktopSession::call(get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().front().value<QDBusVariant>().variant().toStringList();
}

// The item of this process registered with the watcher, other than the one
// named: after an icon is replaced, its successor.
std::optional<Item> ourItem(const QString& other = {})
{
    for (const QString& entry : registeredItems()) {
        Item item;
        const auto slash = entry.indexOf(QLatin1Char('/'));
        item.service = slash < 0 ? entry : entry.left(slash);
        if (slash >= 0)
            item.path = entry.mid(slash);
        if (item.service == other)
            continue;
        const auto pid = QDBusConnection::sessionBus().interface()->servicePid(item.service);
        if (pid.isValid() && static_cast<qint64>(pid.value()) == QCoreApplication::applicationPid())
            return item;
    }
    return std::nullopt;
}

Item waitForOurItem(const QString& other = {})
{
    std::optional<Item> found;
    waitFor([&] { return (found = ourItem(other)).has_value(); }, 15000);
    if (!found)
        ADD_FAILURE() << "the watcher lists no item of this process within 15 s: "
                      << registeredItems().join(", ").toStdString();
    return found.value_or(Item{});
}

HostMenuEntry readEntry(const QDBusArgument& argument, std::vector<HostMenuEntry>& into)
{
    HostMenuEntry entry;
    QVariantMap properties;
    argument.beginStructure();
    argument >> entry.id >> properties;
    entry.label = properties.value(QStringLiteral("label")).toString();
    entry.separator = properties.value(QStringLiteral("type")).toString() == QStringLiteral("separator");
    entry.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
    argument.beginArray();
    std::vector<HostMenuEntry> children;
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        readEntry(child.variant().value<QDBusArgument>(), children);
    }
    argument.endArray();
    argument.endStructure();
    into.push_back(entry);
    if (entry.id == 0)
        into = children;
    return entry;
}

// The menu's top level as the host reads it.
std::vector<HostMenuEntry> menuOf(const Item& item)
{
    const QString menuPath = property(item, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    EXPECT_EQ(menuPath, QStringLiteral("/MenuBar"));
    const QDBusMessage reply =
        callOn(item, kMenuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()}, menuPath);
    std::vector<HostMenuEntry> entries;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
        ADD_FAILURE() << "GetLayout failed: " << reply.errorMessage().toStdString();
        return entries;
    }
    readEntry(reply.arguments().at(1).value<QDBusArgument>(), entries);
    return entries;
}

int idOf(const std::vector<HostMenuEntry>& menu, const QString& label)
{
    for (const HostMenuEntry& entry : menu) {
        if (entry.label == label)
            return entry.id;
    }
    ADD_FAILURE() << "no menu entry " << label.toStdString();
    return -1;
}

// What the host sends when the operator chooses an entry of its menu.
void choose(const Item& item, int id)
{
    callOn(item, kMenuInterface, QStringLiteral("AboutToShow"), {0}, QStringLiteral("/MenuBar"));
    const QDBusMessage reply = callOn(item, kMenuInterface, QStringLiteral("Event"),
                                      {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)),
                                       static_cast<uint>(QDateTime::currentSecsSinceEpoch())},
                                      QStringLiteral("/MenuBar"));
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
}

// The icon's pixmaps as the item hands them to the host, by width.
std::map<int, QImage> pixmapsOf(const Item& item)
{
    std::map<int, QImage> images;
    const QDBusArgument argument = property(item, QStringLiteral("IconPixmap")).value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        // ARGB32 in network byte order.
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + 4 * (y * width + x);
                image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
            }
        }
        images[width] = image;
    }
    argument.endArray();
    return images;
}

bool showsPicture(const Item& item, Icon picture)
{
    const std::map<int, QImage> images = pixmapsOf(item);
    const auto large = images.find(32);
    if (large == images.end())
        return false;
    const QImage expected =
        Icons::forPicture(picture).pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    return large->second == expected;
}

// The lit bulb's yellow on the host's bar at the bottom of the screen: the
// host draws what the item hands it.
int yellowPixelsOnTheHostsBar()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    const QImage bar = screen->grabWindow(0, 0, area.height() - 32, 200, 32).toImage();
    int yellow = 0;
    for (int y = 0; y < bar.height(); ++y) {
        for (int x = 0; x < bar.width(); ++x) {
            const QColor c = bar.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 170 && c.blue() < 120)
                ++yellow;
        }
    }
    return yellow;
}

// The window with the Qt tray; the other seams are test doubles.
struct SniWindow {
    SniWindow()
    {
        form.Form_Load();
        window = std::make_unique<MainWindow>(form);
        window->attachTray(tray);
        window->start();
    }

    QtTrayService tray;
    FormHarness h{FormHarness::Seams{.tray = &tray}};
    Form1& form = h.form;
    RecordingMessageBox& messages = h.messages;
    FakeUrlOpener& urls = h.urls;
    FakeWindowSystem& windowSystem = h.windowSystem;
    FakeDataAccess& db = h.fakeDb;
    std::unique_ptr<MainWindow> window;
};

TEST(StatusNotifierTray, theHostShowsTheIconItsMenuAndBringsTheWindowBack)
{
    SniWindow w;
    Form1& f = w.form;
    f.Command5.click();
    ASSERT_FALSE(f.visible());
    ASSERT_TRUE(w.tray.shownByStatusNotifierHost()) << "Qt shows the icon through the host the watcher reports";
    const Item item = waitForOurItem();
    ASSERT_FALSE(item.service.isEmpty());

    // The idle bulb, on the host's bar too.
    EXPECT_TRUE(waitFor([&] { return showsPicture(item, Icon::Idle); }));
    EXPECT_FALSE(showsPicture(item, Icon::Running));
    EXPECT_TRUE(waitFor([] { return yellowPixelsOnTheHostsBar() == 0; }));

    // The window's tray menu, in order, with its captions.
    std::vector<HostMenuEntry> menu = menuOf(item);
    ASSERT_EQ(menu.size(), 6u);
    const QStringList labels = {QStringLiteral("开始运行"), QStringLiteral("显示窗口"), QString(),
                                QStringLiteral("升级程序"), QStringLiteral("关于程序"), QStringLiteral("退 出")};
    for (std::size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(menu[i].label, labels[static_cast<int>(i)]) << i;
        EXPECT_EQ(menu[i].separator, i == 2) << i;
        EXPECT_TRUE(menu[i].enabled) << i;
    }

    // The host's activation does what a double-click does on an XEmbed tray.
    callOn(item, kItemInterface, QStringLiteral("Activate"), {10, 10});
    ASSERT_TRUE(waitFor([&] { return f.visible(); }));
    EXPECT_EQ(f.tray.lastEvent, TrayService::Event::Activate);
    EXPECT_TRUE(f.Command5.enabled());
    EXPECT_TRUE(waitFor([&] { return menuOf(item).at(1).label == QStringLiteral("隐藏托盘"); }))
        << "the menu follows the model's captions";

    // The host shows the menu itself: its context request opens no second one.
    callOn(item, kItemInterface, QStringLiteral("ContextMenu"), {10, 10});
    waitFor([] { return false; }, 300);
    EXPECT_EQ(w.windowSystem.menusShown, 0);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(f.tray.lastEvent, TrayService::Event::Activate) << "the context request is no event";

    // Choosing "隐藏托盘" in the host's menu runs mnuChange_Click.
    choose(item, idOf(menu, QStringLiteral("显示窗口")));
    EXPECT_TRUE(waitFor([&] { return !f.visible(); }));
    EXPECT_EQ(f.mnuChange.caption(), "显示窗口");

    // A disabled item shows disabled and does nothing.
    f.upcc.setEnabled(false);
    EXPECT_TRUE(waitFor([&] { return !menuOf(item).at(3).enabled; }));
    choose(item, menu.at(3).id);
    waitFor([] { return false; }, 300);
    EXPECT_TRUE(w.urls.opened.empty());
    f.upcc.setEnabled(true);
    EXPECT_TRUE(waitFor([&] { return menuOf(item).at(3).enabled; }));

    // While the About box of one choice is open, a further choice is dropped
    // as the popup menu's busy flag drops it on an XEmbed tray.
    bool exitArrived = false;
    w.messages.whileOpen = [&](const RecordingMessageBox::Box&) {
        choose(item, idOf(menu, QStringLiteral("退 出")));
        exitArrived = true;
        waitFor([] { return false; }, 300);
    };
    choose(item, idOf(menu, QStringLiteral("关于程序")));
    ASSERT_TRUE(waitFor([&] { return !w.messages.boxes.empty(); }));
    EXPECT_TRUE(exitArrived);
    EXPECT_EQ(w.messages.boxes.front().title, "关于程序");
    waitFor([] { return false; }, 300);
    EXPECT_FALSE(f.unloaded());
    EXPECT_FALSE(f.tray.busy);
    w.messages.whileOpen = nullptr;

    // "退 出" from the host's menu ends the program and takes the icon away.
    choose(item, idOf(menu, QStringLiteral("退 出")));
    EXPECT_TRUE(waitFor([&] { return f.unloaded(); }));
    EXPECT_TRUE(waitFor([&] { return !ourItem().has_value(); }));
}

// A run puts up the lit bulb: the host shows the running icon, and its
// menu starts and stops the schedule.
TEST(StatusNotifierTray, aRunShowsTheLitBulbOnTheHost)
{
    SniWindow w;
    Form1& f = w.form;
    f.Command5.click();
    const Item idle = waitForOurItem();
    ASSERT_TRUE(waitFor([&] { return showsPicture(idle, Icon::Idle); }));

    f.Text3.setText("pw");
    f.Combo1.addItem("sales");
    w.db.databases = {"sales"};
    choose(idle, idOf(menuOf(idle), QStringLiteral("开始运行")));
    ASSERT_TRUE(waitFor([&] { return f.Command1.caption() == "停止备份"; }));

    // The run re-creates the icon from the window's icon, now the lit bulb.
    const Item running = waitForOurItem(idle.service);
    EXPECT_TRUE(waitFor([&] { return showsPicture(running, Icon::Running); }));
    EXPECT_TRUE(waitFor([] { return yellowPixelsOnTheHostsBar() > 0; })) << "the host draws the lit bulb";
    const std::vector<HostMenuEntry> menu = menuOf(running);
    ASSERT_FALSE(menu.empty());
    EXPECT_EQ(menu.front().label, QStringLiteral("停止备份"));

    choose(running, menu.front().id);
    EXPECT_TRUE(waitFor([&] { return f.Command1.caption() == "开始运行"; }));
    EXPECT_FALSE(f.Timer1.enabled());
}

} // namespace
