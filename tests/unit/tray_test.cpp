#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/form_harness.h"

namespace {

class TrayTest : public ::testing::Test {
protected:
    TrayTest() { f.Form_Load(); }

    void trayEvent(TrayService::Event event) { f.TrayNotified(event); }
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

TEST_F(TrayTest, theIconAndItsTip)
{
    f.Command5.click();
    ASSERT_TRUE(h.tray.icon.has_value());
    EXPECT_EQ(h.tray.icon->picture, Icon::Idle) << "the idle icon before any run";
    EXPECT_EQ(h.tray.icon->tip, "ondrel.cn'Ondrel");
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

    trayEvent(TrayService::Event::DoubleClick);
    EXPECT_TRUE(f.visible());
    startRun();
    f.Command5.click();
    EXPECT_EQ(f.stops.caption(), "停止备份");
}

TEST_F(TrayTest, theIconOfARunStaysAfterItStops)
{
    startRun();
    ASSERT_TRUE(h.tray.icon.has_value());
    EXPECT_EQ(h.tray.icon->picture, Icon::Running);
    EXPECT_TRUE(f.visible()) << "starting puts up the icon but leaves the window shown";
    EXPECT_FALSE(f.showInTaskbar());
    f.Command1.click();
    ASSERT_TRUE(h.tray.icon.has_value());

    f.Command5.click();
    EXPECT_EQ(h.tray.requests.back().kind, FakeTrayService::Show);
    EXPECT_FALSE(h.tray.requests.back().accepted) << "a show while the icon exists is refused";
    EXPECT_EQ(h.tray.icon->picture, Icon::Running);

    // A new run re-creates the icon: hide first, then show.
    const std::size_t before = h.tray.requests.size();
    f.iconm();
    ASSERT_EQ(h.tray.requests.size(), before + 2);
    EXPECT_EQ(h.tray.requests[before].kind, FakeTrayService::Hide);
    EXPECT_EQ(h.tray.requests[before + 1].kind, FakeTrayService::Show);
    EXPECT_TRUE(h.tray.requests[before + 1].accepted);
    EXPECT_EQ(h.tray.icon->picture, Icon::Running);
}

// A single click where the desktop reports one (a StatusNotifier host's
// activation) and a double-click both bring the window back; the menu
// request opens the tray menu as it stands and leaves the window hidden.
TEST_F(TrayTest, eachEventDoesWhatItMeans)
{
    for (TrayService::Event show : {TrayService::Event::Activate, TrayService::Event::DoubleClick}) {
        f.Command5.click();
        ASSERT_FALSE(f.visible());
        trayEvent(show);
        EXPECT_TRUE(f.visible());
        EXPECT_TRUE(f.Command5.enabled());
        EXPECT_EQ(f.mnuChange.caption(), "隐藏托盘");
        EXPECT_EQ(h.windowSystem.menusShown, 0);
    }

    f.Command5.click();
    f.autob.setEnabled(false);
    trayEvent(TrayService::Event::ContextMenu);
    EXPECT_EQ(h.windowSystem.menusShown, 1);
    EXPECT_FALSE(f.visible());
    EXPECT_EQ(f.tray.lastEvent, TrayService::Event::ContextMenu);
    // The menu as it stands: every item in order, its caption and state now.
    const std::vector<MenuEntry>& shown = h.windowSystem.shownItems;
    ASSERT_EQ(shown.size(), f.mnuPopUp.items().size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i].name, f.mnuPopUp.items()[i]->name());
    const auto entry = [&](const std::string& name) {
        return *std::find_if(shown.begin(), shown.end(), [&](const MenuEntry& e) { return e.name == name; });
    };
    EXPECT_EQ(entry("mnuChange").caption, "显示窗口");
    EXPECT_FALSE(entry("autob").enabled);
    EXPECT_TRUE(entry("mnuExit").enabled);
    EXPECT_TRUE(entry("lin2").isSeparator());
}

TEST_F(TrayTest, aDoubleClickWhileShownKeepsItShown)
{
    trayEvent(TrayService::Event::DoubleClick);
    EXPECT_TRUE(f.visible());
    EXPECT_TRUE(f.Command5.enabled());
    EXPECT_EQ(f.mnuChange.caption(), "隐藏托盘");
}

TEST_F(TrayTest, theMenuItemDecidesByTheHideButtonNotByItsCaption)
{
    ASSERT_EQ(f.mnuChange.caption(), "显示窗口");
    h.windowSystem.menuChoice = "mnuChange";
    trayEvent(TrayService::Event::ContextMenu);
    EXPECT_FALSE(f.visible());
    EXPECT_EQ(f.mnuChange.caption(), "显示窗口");
    trayEvent(TrayService::Event::ContextMenu);
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(f.mnuChange.caption(), "隐藏托盘");
    EXPECT_TRUE(f.Command5.enabled());
}

TEST_F(TrayTest, eventsWhileTheMenuOrAboutBoxIsOpenAreOnlyRecorded)
{
    f.Command5.click();
    h.windowSystem.menuChoice = "autob";
    h.messages.whileOpen = [&](const RecordingMessageBox::Box&) { trayEvent(TrayService::Event::DoubleClick); };
    h.windowSystem.whileMenuOpen = [&] { trayEvent(TrayService::Event::ContextMenu); };
    trayEvent(TrayService::Event::ContextMenu);
    EXPECT_EQ(h.windowSystem.menusShown, 1);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].title, "关于程序");
    EXPECT_FALSE(f.visible()) << "the double-click during the About box did nothing";
    EXPECT_EQ(f.tray.lastEvent, TrayService::Event::DoubleClick);
    EXPECT_FALSE(f.tray.busy);

    h.messages.whileOpen = nullptr;
    trayEvent(TrayService::Event::DoubleClick);
    EXPECT_TRUE(f.visible());
}

TEST_F(TrayTest, theTrayMenuRunsItsItems)
{
    for (const char* item : {"upcc", "mnuExit"}) {
        h.windowSystem.menuChoice = item;
        trayEvent(TrayService::Event::ContextMenu);
    }
    EXPECT_EQ(h.urls.opened, std::vector<std::string>{"http://ondrel.cn"});
    EXPECT_TRUE(f.unloaded());
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
        f.TrayNotified(TrayService::Event::DoubleClick);
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
    f.TrayNotified(TrayService::Event::ContextMenu);
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
