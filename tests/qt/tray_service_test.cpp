// The notification area through Qt: the shell's add and delete rules, the
// record's icon and tip, and the tray's mouse events as message codes.

#include <gtest/gtest.h>

#include <QSystemTrayIcon>
#include <QTest>
#include <memory>

#include "app/form1.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_data_access.h"
#include "fakes/fake_executable_info.h"
#include "fakes/fake_folder_picker.h"
#include "fakes/fake_url_opener.h"
#include "fakes/fake_window_system.h"
#include "fakes/recording_message_box.h"
#include "fakes/temp_folder.h"
#include "fakes/test_shell.h"
#include "platform/posix/iconv_text_encoding.h"
#include "platform/posix/posix_file_io.h"
#include "platform/qt/icons.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_tray_service.h"

namespace {

NotifyIconData record(std::uint32_t window, std::uint32_t id, Icon icon = Icon::Idle,
                      const std::string& tipGbk = "ondrel.cn'Ondrel")
{
    NotifyIconData data;
    data.cbSize = 88;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = 7;
    data.uCallbackMessage = 512;
    data.hIcon = static_cast<std::uint32_t>(icon);
    data.szTip.fill(' ');
    std::copy(tipGbk.begin(), tipGbk.end(), data.szTip.begin());
    data.szTip[tipGbk.size()] = '\0';
    return data;
}

const IconvTextEncoding kGbk;

TEST(QtTray, followsTheShellsAddAndDeleteRules)
{
    QtTrayService tray(kGbk);
    struct Step {
        int request;
        NotifyIconData data;
        bool accepted;
    };
    const Step steps[] = {
        {TrayService::Delete, record(1, 1), false}, // nothing to delete
        {TrayService::Add, record(1, 1), true},
        {TrayService::Add, record(1, 1, Icon::Running), false}, // already shown
        {TrayService::Add, record(1, 2), true},                 // another identifier
        {TrayService::Delete, record(1, 1), true},
        {TrayService::Delete, record(1, 1), false},
        {TrayService::Add, record(1, 1, Icon::Running), true},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(tray.notify(steps[i].request, steps[i].data), steps[i].accepted) << "step " << i;
    EXPECT_NE(tray.icon(1, 1), nullptr);
    EXPECT_NE(tray.icon(1, 2), nullptr);
    EXPECT_EQ(tray.icon(2, 1), nullptr);
}

TEST(QtTray, showsTheRecordsIconAndTip)
{
    QtTrayService tray(kGbk);
    tray.notify(TrayService::Add, record(1, 1, Icon::Running, kGbk.utf8ToGbk("备份'Ondrel")));
    QSystemTrayIcon* icon = tray.icon(1, 1);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("备份'Ondrel"));
    EXPECT_EQ(icon->icon().pixmap(32).toImage(), Icons::forPicture(Icon::Running).pixmap(32).toImage());
    EXPECT_TRUE(icon->isVisible());

    // A refused add leaves the icon as it was.
    tray.notify(TrayService::Add, record(1, 1, Icon::Idle, "other"));
    EXPECT_EQ(tray.icon(1, 1)->toolTip(), QStringLiteral("备份'Ondrel"));
}

TEST(QtTray, tipEndsAtItsNul)
{
    const QtTrayService tray(kGbk);
    NotifyIconData data = record(1, 1);
    EXPECT_EQ(tray.tipOf(data), QStringLiteral("ondrel.cn'Ondrel"));
    data.szTip.fill(' ');
    data.szTip[63] = '\0';
    EXPECT_EQ(tray.tipOf(data), QString(63, u' '));
}

// A window whose tray is the Qt one; the other seams are test doubles.
struct TrayWindow {
    TrayWindow()
        : shell(temp.path() / "trash")
        , executable(temp.path().string(), "ondrel")
        , tray(encoding)
        , form({clock, messages, executable, files, encoding, shell, folderPicker, tray, urls, windowSystem, db})
    {
        form.Form_Load();
        window = std::make_unique<MainWindow>(form);
        tray.setMessageHandler([this](int code) { window->relayTrayMessage(code); });
        window->start();
    }

    void activate(QSystemTrayIcon::ActivationReason reason)
    {
        Q_EMIT tray.icon(Tray::kWindowHandle, Tray::kIconId)->activated(reason);
        QCoreApplication::processEvents();
    }

    TempFolder temp;
    FakeClock clock;
    RecordingMessageBox messages;
    TestShell shell;
    FakeExecutableInfo executable;
    FakeFolderPicker folderPicker;
    PosixFileIo files;
    IconvTextEncoding encoding;
    QtTrayService tray;
    FakeUrlOpener urls;
    FakeWindowSystem windowSystem;
    FakeDataAccess db;
    Form1 form;
    std::unique_ptr<MainWindow> window;
};

TEST(QtTray, doubleClickBringsTheWindowBack)
{
    TrayWindow t;
    t.form.Command5_Click();
    ASSERT_NE(t.tray.icon(Tray::kWindowHandle, Tray::kIconId), nullptr);
    t.activate(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(t.form.tray.lastMessage, 515);
    EXPECT_TRUE(t.form.visible());
    EXPECT_FALSE(t.form.minimized());
    EXPECT_TRUE(t.form.Command5.enabled());
    EXPECT_EQ(t.form.mnuChange.caption(), "隐藏托盘");
}

// The tray's code goes into twips and back out with the same scale: on a
// screen of another density than the one the window was built on, the
// icon still answers.
TEST(QtTray, doubleClickIsRecognisedOnEveryScreen)
{
    TrayWindow t;
    t.windowSystem.twipsPerPixel = 10;
    t.form.Command5_Click();
    t.activate(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(t.form.tray.lastMessage, 515);
    EXPECT_TRUE(t.form.visible());
}

// Without a StatusNotifier host the icon sits in an XEmbed tray (or none):
// it exports no menu of its own, the window opens its menu on a right click.
TEST(QtTray, anIconOutsideAStatusNotifierHostHasNoMenuOfItsOwn)
{
    TrayWindow t;
    t.tray.setMenu(t.form.mnuPopUp, [](const std::string&) {});
    t.form.Command5_Click();
    EXPECT_FALSE(t.tray.shownByStatusNotifierHost(Tray::kWindowHandle, Tray::kIconId));
    EXPECT_EQ(t.tray.hostMenu(Tray::kWindowHandle, Tray::kIconId), nullptr);
    EXPECT_EQ(t.tray.icon(Tray::kWindowHandle, Tray::kIconId)->contextMenu(), nullptr);
}

TEST(QtTray, contextRequestOpensTheTrayMenu)
{
    TrayWindow t;
    t.form.Command5_Click();
    t.windowSystem.menuChoice = "autob";
    t.activate(QSystemTrayIcon::Context);
    EXPECT_EQ(t.form.tray.lastMessage, 517);
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
    EXPECT_EQ(t.form.tray.lastMessage, 0);
    EXPECT_EQ(t.windowSystem.menusShown, 0);
}

} // namespace
