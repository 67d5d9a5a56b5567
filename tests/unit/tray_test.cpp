#include <gtest/gtest.h>

#include "fakes/form_harness.h"

namespace {

class TrayTest : public ::testing::Test {
protected:
    TrayTest() { f.Form_Load(); }

    // The tray reports an event as a mouse move whose X, in pixels, is its code.
    void trayEvent(int code) { f.Form_MouseMove(0, 0, static_cast<float>(code) * h.windowSystem.twipsPerPixel, 0); }
    void startRun()
    {
        f.Text3.setText("pw");
        f.Combo1.addItem("sales");
        h.fakeDb.databases = {"sales"};
        f.Command1.click();
        ASSERT_EQ(f.Command1.caption(), "停止备份");
    }

    FormHarness h;
    Form1& f = h.form;
};

TEST_F(TrayTest, theRecordAndItsTip)
{
    f.Command5.click();
    ASSERT_TRUE(h.tray.icon.has_value());
    const NotifyIconData& nid = *h.tray.icon;
    EXPECT_EQ(nid.cbSize, 88u);
    EXPECT_EQ(nid.uID, 1u);
    EXPECT_EQ(nid.uFlags, 7u);
    EXPECT_EQ(nid.uCallbackMessage, 512u);
    EXPECT_EQ(nid.hIcon, static_cast<std::uint32_t>(Icon::Idle)) << "the idle icon before any run";
    std::string expected = "ondrel.cn'Ondrel";
    expected += '\0';
    expected.resize(64, ' ');
    EXPECT_EQ(std::string(nid.szTip.data(), nid.szTip.size()), expected);
}

TEST_F(TrayTest, hidingRemembersWhetherARunIsActive)
{
    f.Command5.click();
    EXPECT_EQ(f.stops.caption(), "开始运行");
    EXPECT_FALSE(f.visible());
    EXPECT_FALSE(f.Command5.enabled());
    EXPECT_EQ(f.mnuChange.caption(), "显示窗口");
    EXPECT_FALSE(f.showInTaskbar());
    EXPECT_FLOAT_EQ(f.left(), (1920.0f * 15 - (6825 + 30)) / 2);
    EXPECT_FLOAT_EQ(f.top(), (1080.0f * 15 - (3630 + 465)) / 2);

    trayEvent(NotifyIconData::kLeftDoubleClick);
    EXPECT_TRUE(f.visible());
    startRun();
    f.Command5.click();
    EXPECT_EQ(f.stops.caption(), "停止备份");
}

TEST_F(TrayTest, theIconOfARunStaysAfterItStops)
{
    startRun();
    ASSERT_TRUE(h.tray.icon.has_value());
    EXPECT_EQ(h.tray.icon->hIcon, static_cast<std::uint32_t>(Icon::Running));
    EXPECT_TRUE(f.visible()) << "starting puts up the icon but leaves the window shown";
    EXPECT_FALSE(f.showInTaskbar());
    f.Command1.click();
    ASSERT_TRUE(h.tray.icon.has_value());

    f.Command5.click();
    EXPECT_FALSE(h.tray.requests.back().accepted) << "an add while the icon exists is refused";
    EXPECT_EQ(h.tray.icon->hIcon, static_cast<std::uint32_t>(Icon::Running));

    // A new run re-creates the icon: delete first, then add.
    const std::size_t before = h.tray.requests.size();
    f.iconm();
    ASSERT_EQ(h.tray.requests.size(), before + 2);
    EXPECT_EQ(h.tray.requests[before].code, TrayService::Delete);
    EXPECT_EQ(h.tray.requests[before + 1].code, TrayService::Add);
    EXPECT_TRUE(h.tray.requests[before + 1].accepted);
}

TEST_F(TrayTest, onlyADoubleClickAndARightReleaseDoAnything)
{
    f.Command5.click();
    for (int code : {512, 513, 514, 516, 518}) {
        trayEvent(code);
        EXPECT_FALSE(f.visible()) << code;
        EXPECT_EQ(h.windowSystem.menusShown, 0) << code;
    }
    EXPECT_EQ(f.tray.lastMessage, 518);
    trayEvent(NotifyIconData::kRightButtonUp);
    EXPECT_EQ(h.windowSystem.menusShown, 1);
    EXPECT_FALSE(f.visible());
}

TEST_F(TrayTest, aDoubleClickWhileShownKeepsItShown)
{
    trayEvent(NotifyIconData::kLeftDoubleClick);
    EXPECT_TRUE(f.visible());
    EXPECT_TRUE(f.Command5.enabled());
    EXPECT_EQ(f.mnuChange.caption(), "隐藏托盘");
}

TEST_F(TrayTest, theMenuItemDecidesByTheHideButtonNotByItsCaption)
{
    ASSERT_EQ(f.mnuChange.caption(), "显示窗口");
    h.windowSystem.menuChoice = "mnuChange";
    trayEvent(NotifyIconData::kRightButtonUp);
    EXPECT_FALSE(f.visible());
    EXPECT_EQ(f.mnuChange.caption(), "显示窗口");
    trayEvent(NotifyIconData::kRightButtonUp);
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(f.mnuChange.caption(), "隐藏托盘");
    EXPECT_TRUE(f.Command5.enabled());
}

TEST_F(TrayTest, eventsWhileTheMenuOrAboutBoxIsOpenAreOnlyRecorded)
{
    f.Command5.click();
    h.windowSystem.menuChoice = "autob";
    h.messages.whileOpen = [&](const RecordingMessageBox::Box&) { trayEvent(NotifyIconData::kLeftDoubleClick); };
    h.windowSystem.whileMenuOpen = [&] { trayEvent(NotifyIconData::kRightButtonUp); };
    trayEvent(NotifyIconData::kRightButtonUp);
    EXPECT_EQ(h.windowSystem.menusShown, 1);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].title, "关于程序");
    EXPECT_FALSE(f.visible()) << "the double-click during the About box did nothing";
    EXPECT_EQ(f.tray.lastMessage, NotifyIconData::kLeftDoubleClick);
    EXPECT_FALSE(f.tray.busy);

    h.messages.whileOpen = nullptr;
    trayEvent(NotifyIconData::kLeftDoubleClick);
    EXPECT_TRUE(f.visible());
}

TEST_F(TrayTest, theTrayMenuRunsItsItems)
{
    for (const char* item : {"upcc", "mnuExit"}) {
        h.windowSystem.menuChoice = item;
        trayEvent(NotifyIconData::kRightButtonUp);
    }
    EXPECT_EQ(h.urls.opened, std::vector<std::string>{"http://ondrel.cn"});
    EXPECT_TRUE(f.unloaded());
}

TEST_F(TrayTest, codesAreReadInPixelsWhateverTheScreensDensity)
{
    h.windowSystem.twipsPerPixel = 10; // 144 dpi
    f.Command5.click();
    f.Form_MouseMove(0, 0, 515 * 10, 0);
    EXPECT_TRUE(f.visible());
}

// The tray's code is turned into twips and back with one scale, read at the
// event: after a move to a screen of another density the icon still answers.
TEST_F(TrayTest, aNotificationKeepsItsCodeOnEveryScreen)
{
    for (float twipsPerPixel : {15.0f, 12.0f, 10.0f, 7.5f}) {
        h.windowSystem.twipsPerPixel = twipsPerPixel;
        f.Command5.click();
        ASSERT_FALSE(f.visible());
        f.TrayNotified(NotifyIconData::kLeftDoubleClick);
        EXPECT_EQ(f.tray.lastMessage, 515) << twipsPerPixel;
        EXPECT_TRUE(f.visible()) << twipsPerPixel;
    }
}

// A menu the tray shows by itself (a StatusNotifier host's) reports the
// chosen item; it runs as a choice from the popup menu does.
TEST_F(TrayTest, aChoiceFromTheTraysOwnMenuRunsItsHandler)
{
    f.Command5.click();
    f.TrayMenuChosen("mnuChange");
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(f.mnuChange.caption(), "隐藏托盘");
    for (const char* nothing : {"lin2", "", "mnuPopUp", "no such item"})
        f.TrayMenuChosen(nothing);
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_FALSE(f.tray.busy);

    f.autob.setEnabled(false);
    f.TrayMenuChosen("autob");
    EXPECT_TRUE(h.messages.boxes.empty()) << "a disabled item does nothing";
    f.autob.setEnabled(true);
    f.TrayMenuChosen("autob");
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].title, "关于程序");
    EXPECT_EQ(h.tray.requests.size(), 1u) << "the menu touches no icon";
}

// The busy flag holds for the tray's own menu too: while the About box of
// one choice is open, further choices and tray events are dropped, and
// nothing is pending once it closes.
TEST_F(TrayTest, theTraysOwnMenuHonoursTheBusyFlag)
{
    f.Command5.click();
    h.messages.whileOpen = [&](const RecordingMessageBox::Box&) {
        EXPECT_TRUE(f.tray.busy);
        f.TrayMenuChosen("mnuExit");
        f.TrayMenuChosen("mnuChange");
        f.TrayNotified(NotifyIconData::kLeftDoubleClick);
    };
    f.TrayMenuChosen("autob");
    EXPECT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_FALSE(f.unloaded());
    EXPECT_FALSE(f.visible());
    EXPECT_FALSE(f.tray.busy);

    // A choice that arrives while the popup menu of a right-click is open.
    h.messages.whileOpen = nullptr;
    h.windowSystem.whileMenuOpen = [&] { f.TrayMenuChosen("mnuChange"); };
    h.windowSystem.menuChoice = "";
    f.TrayNotified(NotifyIconData::kRightButtonUp);
    EXPECT_FALSE(f.visible());
    f.TrayMenuChosen("mnuExit");
    EXPECT_TRUE(f.unloaded());
}

// Without a notification area, hiding would leave no way back: the window
// is minimised to the taskbar instead.
TEST_F(TrayTest, withoutANotificationAreaTheWindowIsMinimised)
{
    h.tray.available = false;
    f.Command5.click();
    EXPECT_TRUE(f.visible());
    EXPECT_TRUE(f.minimized());
    EXPECT_TRUE(f.showInTaskbar());
    f.RestoredFromTaskbar();
    EXPECT_FALSE(f.minimized());
    EXPECT_TRUE(f.Command5.enabled()) << "the window can be put away again";
    EXPECT_EQ(f.mnuChange.caption(), "隐藏托盘");
    startRun();
    EXPECT_TRUE(f.showInTaskbar());
}

TEST_F(TrayTest, aboutBoxLinksAndRestorePlaceholder)
{
    f.autob.clicked.emit();
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text,
              "程序更新网址：HTTP://ONDREL.CN .\r\n\r\n"
              "注：如发现本程序有出现BUG,请登录我的blog提交BUG报错信息。\r\n\r\n"
              "如有导致数据损失之类问题,本程序将不会承担任何责任。");
    EXPECT_EQ(h.messages.boxes[0].title, "关于程序");
    EXPECT_EQ(h.messages.boxes[0].style, 0);

    f.upcc.clicked.emit();
    f.Label11.click();
    f.Label10.click();
    f.Label12.click();
    EXPECT_EQ(h.urls.opened,
              (std::vector<std::string>{"http://ondrel.cn", "http://ondrel.cn", "http://es.ondrel.cn",
                                        "http://job.ondrel.cn"}));

    for (int i = 0; i < 2; ++i)
        f.Command7.click();
    EXPECT_EQ(h.messages.boxes.size(), 3u);
    EXPECT_EQ(h.messages.boxes[2].text, "暂无此功能!");
    EXPECT_EQ(h.messages.boxes[2].title, "提示");
    EXPECT_TRUE(f.visible());
}

} // namespace
