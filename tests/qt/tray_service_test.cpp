// The notification area through Qt: one icon shown and hidden, its picture
// and tip, and the tray's mouse events as the window's tray events.

#include <gtest/gtest.h>

#include <QSystemTrayIcon>
#include <QTest>
#include <memory>

#include "fakes/form_harness.h"
#include "platform/qt/icons.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_tray_service.h"

namespace {

TEST(QtTray, showsOneIconAndRefusesASecond)
{
    QtTrayService tray;
    tray.hide(); // nothing to hide
    EXPECT_EQ(tray.icon(), nullptr);
    EXPECT_TRUE(tray.show(Icon::Running, "备份'Ondrel"));
    QSystemTrayIcon* icon = tray.icon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("备份'Ondrel"));
    EXPECT_EQ(icon->icon().pixmap(32).toImage(), Icons::forPicture(Icon::Running).pixmap(32).toImage());
    EXPECT_TRUE(icon->isVisible());

    // A refused show leaves the icon as it was.
    EXPECT_FALSE(tray.show(Icon::Idle, "other"));
    EXPECT_EQ(tray.icon(), icon);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("备份'Ondrel"));
    EXPECT_EQ(icon->icon().pixmap(32).toImage(), Icons::forPicture(Icon::Running).pixmap(32).toImage());

    tray.hide();
    EXPECT_EQ(tray.icon(), nullptr);
    tray.hide();
    EXPECT_TRUE(tray.show(Icon::Idle, "ondrel.cn'Ondrel"));
    ASSERT_NE(tray.icon(), nullptr);
    EXPECT_EQ(tray.icon()->icon().pixmap(32).toImage(), Icons::forPicture(Icon::Idle).pixmap(32).toImage());
}

TEST(QtTray, anIconWithoutAPictureShowsTheIdleOne)
{
    QtTrayService tray;
    ASSERT_TRUE(tray.show(Icon::None, "ondrel.cn'Ondrel"));
    EXPECT_EQ(tray.icon()->icon().pixmap(32).toImage(), Icons::forPicture(Icon::Idle).pixmap(32).toImage());
}

// A window whose tray is the Qt one; the other seams are test doubles.
struct TrayWindow {
    TrayWindow()
    {
        form.Form_Load();
        window = std::make_unique<MainWindow>(form);
        window->attachTray(tray);
        window->start();
    }

    void activate(QSystemTrayIcon::ActivationReason reason)
    {
        Q_EMIT tray.icon()->activated(reason);
        QCoreApplication::processEvents();
    }

    QtTrayService tray;
    FormHarness h{FormHarness::Seams{.tray = &tray}};
    Form1& form = h.form;
    RecordingMessageBox& messages = h.messages;
    FakeWindowSystem& windowSystem = h.windowSystem;
    std::unique_ptr<MainWindow> window;
};

TEST(QtTray, doubleClickBringsTheWindowBack)
{
    TrayWindow t;
    t.form.Command5_Click();
    ASSERT_NE(t.tray.icon(), nullptr);
    t.activate(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(t.form.tray.lastEvent, TrayService::Event::DoubleClick);
    EXPECT_TRUE(t.form.visible());
    EXPECT_FALSE(t.form.minimized());
    EXPECT_TRUE(t.form.Command5.enabled());
    EXPECT_EQ(t.form.mnuChange.caption(), "隐藏托盘");
}

// Without a StatusNotifier host the icon sits in an XEmbed tray (or none):
// it exports no menu of its own, the window opens its menu on a right click.
TEST(QtTray, anIconOutsideAStatusNotifierHostHasNoMenuOfItsOwn)
{
    TrayWindow t;
    t.form.Command5_Click();
    EXPECT_FALSE(t.tray.shownByStatusNotifierHost());
    EXPECT_EQ(t.tray.hostMenu(), nullptr);
    EXPECT_EQ(t.tray.icon()->contextMenu(), nullptr);
}

TEST(QtTray, contextRequestOpensTheTrayMenu)
{
    TrayWindow t;
    t.form.Command5_Click();
    t.windowSystem.menuChoice = "autob";
    t.activate(QSystemTrayIcon::Context);
    EXPECT_EQ(t.form.tray.lastEvent, TrayService::Event::ContextMenu);
    EXPECT_EQ(t.windowSystem.menusShown, 1);
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.boxes[0].title, "关于程序");
}

TEST(QtTray, otherMouseEventsDoNotReachTheWindow)
{
    TrayWindow t;
    t.form.Command5_Click();
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
        t.activate(reason);
    // Nor does the mouse moving over the window, wherever it is.
    t.form.Show();
    for (int x : {0, 34, 200, 454})
        QTest::mouseMove(t.window.get(), QPoint(x, 100));
    QCoreApplication::processEvents();
    EXPECT_EQ(t.form.tray.lastEvent, std::nullopt);
    EXPECT_EQ(t.windowSystem.menusShown, 0);
}

} // namespace
