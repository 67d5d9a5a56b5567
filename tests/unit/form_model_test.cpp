#include <gtest/gtest.h>

#include "fakes/form_harness.h"
#include "platform/path_separator.h"

namespace {

struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* caption;
    TwipsRect rect;
    const char* container;
};

// The window as designed: captions, positions in twips, and the frame each
// control is drawn in.
const ControlRow kDesign[] = {
    {"Frame1", ControlKind::Frame, "MSSQL备份", {120, 120, 6615, 1725}, nullptr},
    {"Label1", ControlKind::Label, "服务器：", {360, 360, 720, 180}, "Frame1"},
    {"Text1", ControlKind::TextBox, "127.0.0.1", {1200, 360, 1935, 375}, nullptr},
    {"Label2", ControlKind::Label, "帐号：", {3120, 360, 615, 255}, "Frame1"},
    {"Text2", ControlKind::TextBox, "sa", {3840, 360, 1095, 375}, nullptr},
    {"Label3", ControlKind::Label, "密码：", {4920, 360, 540, 180}, "Frame1"},
    {"Text3", ControlKind::TextBox, "", {5640, 360, 975, 375}, nullptr},
    {"Label4", ControlKind::Label, "数据库：", {360, 840, 720, 180}, "Frame1"},
    {"Text4", ControlKind::TextBox, "", {1200, 840, 1335, 375}, nullptr},
    {"Command2", ControlKind::CommandButton, "Add", {2640, 840, 495, 375}, nullptr},
    {"Label6", ControlKind::Label, "列表：", {3120, 840, 540, 180}, "Frame1"},
    {"Combo1", ControlKind::ComboBox, "", {3840, 840, 2175, 300}, nullptr},
    {"Command3", ControlKind::CommandButton, "D", {6120, 840, 495, 315}, nullptr},
    {"Label5", ControlKind::Label, "备份位置：", {120, 1320, 900, 180}, "Frame1"},
    {"Text5", ControlKind::TextBox, " ", {1200, 1320, 4575, 375}, nullptr},
    {"Command4", ControlKind::CommandButton, "选择", {5880, 1320, 735, 375}, nullptr},
    {"Command1", ControlKind::CommandButton, "开始运行", {120, 1905, 975, 495}, nullptr},
    {"Command5", ControlKind::CommandButton, "托盘", {1200, 1905, 735, 495}, nullptr},
    {"Command6", ControlKind::CommandButton, "保存配置", {2040, 1905, 975, 495}, nullptr},
    {"Command7", ControlKind::CommandButton, "数据恢复", {3120, 1905, 975, 495}, nullptr},
    {"Command8", ControlKind::CommandButton, "退出", {4200, 1905, 855, 495}, nullptr},
    {"Option1", ControlKind::OptionButton, "替换备份", {5280, 1920, 1455, 255}, nullptr},
    {"Option2", ControlKind::OptionButton, "按时间段备份", {5280, 2190, 1455, 180}, nullptr},
    {"Frame2", ControlKind::Frame, "时间段设置", {120, 2505, 6615, 735}, nullptr},
    {"Label9", ControlKind::Label, "时间段1：", {120, 360, 810, 180}, "Frame2"},
    {"Text8", ControlKind::TextBox, "12:00:00", {960, 240, 975, 390}, "Frame2"},
    {"Label8", ControlKind::Label, "时间段2：", {2040, 360, 855, 255}, "Frame2"},
    {"Text7", ControlKind::TextBox, "18:00:00", {2880, 240, 975, 375}, "Frame2"},
    {"Label7", ControlKind::Label, "时间段3：", {3960, 360, 855, 255}, "Frame2"},
    {"Text6", ControlKind::TextBox, "03:00:00", {4800, 240, 975, 375}, "Frame2"},
    {"Check1", ControlKind::CheckBox, "锁", {6000, 315, 495, 255}, "Frame2"},
    {"Label11", ControlKind::Label, "升级本程序：ONDREL.CN", {120, 3360, 2250, 180}, nullptr},
    {"Label10", ControlKind::Label, "二手网：ES.ONDREL.CN", {2520, 3360, 1890, 180}, nullptr},
    {"Label12", ControlKind::Label, "人才网：JOB.ONDREL.CN", {4560, 3360, 2070, 180}, nullptr},
};

TEST(FormModel, controlsStartAsDesigned)
{
    FormHarness h;
    const Form1& f = h.form;
    ASSERT_EQ(f.controls().size(), std::size(kDesign));
    for (std::size_t i = 0; i < std::size(kDesign); ++i) {
        const ControlRow& row = kDesign[i];
        const Control* control = f.controls()[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(control->name(), row.name);
        EXPECT_EQ(control->kind(), row.kind);
        EXPECT_EQ(control->caption(), row.caption);
        EXPECT_EQ(control->rect(), row.rect);
        EXPECT_EQ(control->container() ? control->container()->name() : std::string(),
                  row.container ? row.container : "");
        EXPECT_TRUE(control->enabled());
        EXPECT_TRUE(control->visible());
    }
    EXPECT_EQ(f.Text3.passwordChar(), '#');
    for (const Label* link : {&f.Label10, &f.Label11, &f.Label12}) {
        EXPECT_EQ(link->font().family, "宋体");
        EXPECT_EQ(link->font().points, 9);
        EXPECT_TRUE(link->font().underline);
    }
    EXPECT_TRUE(f.Option1.value());
    EXPECT_FALSE(f.Option2.value());
    EXPECT_EQ(f.Check1.value(), 0);
    EXPECT_EQ(f.Combo1.listIndex(), -1);

    std::vector<std::string> order;
    for (const Control* control : f.tabOrder())
        order.push_back(control->name());
    EXPECT_EQ(order, (std::vector<std::string>{"Command1", "Text1",    "Text2",    "Text3",    "Text4",
                                               "Text5",    "Combo1",   "Command2", "Command3", "Command4",
                                               "Command5", "Command6", "Command7", "Command8", "Option2",
                                               "Option1",  "Text6",    "Text7",    "Text8",    "Check1"}));
}

TEST(FormModel, hiddenObjectsAndStartUp)
{
    FormHarness h;
    Form1& f = h.form;
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_EQ(f.Timer1.interval(), 1000);
    EXPECT_EQ(f.imgIcon1.picture(), Icon::Idle);
    EXPECT_EQ(f.imgIcon2.picture(), Icon::Running);
    EXPECT_EQ(f.mnuPopUp.caption(), "PopUp_Menu");
    std::vector<std::pair<std::string, std::string>> items;
    for (const MenuItem* item : f.mnuPopUp.items())
        items.emplace_back(item->name(), item->caption());
    EXPECT_EQ(items,
              (std::vector<std::pair<std::string, std::string>>{{"stops", "停止运行"},
                                                                {"mnuChange", "显示窗口"},
                                                                {"lin2", "-"},
                                                                {"upcc", "升级程序"},
                                                                {"autob", "关于程序"},
                                                                {"mnuExit", "退 出"}}));
    EXPECT_EQ(f.caption(), "[Ondrel] 更新 http://ondrel.cn");

    h.executable.m_baseName = "dbbak";
    f.Form_Load();
    EXPECT_EQ(f.icon(), Icon::Idle);
    EXPECT_EQ(f.appPath, h.temp.text() + kPathSeparator);
    EXPECT_EQ(f.setFile, h.temp.text() + kPathSeparator + "dbbak.ini");
    EXPECT_EQ(f.masterDb, "master");
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_TRUE(h.tray.requests.empty()) << "no tray icon at start-up";

    // An executable in the root folder gets a single separator.
    FormHarness root;
    root.executable.m_folder = kRootFolder;
    root.form.Form_Load();
    EXPECT_EQ(root.form.setFile, kRootFolder + "ondrel.ini");
}

class ExitPath : public ::testing::TestWithParam<const char*> {};

// Every way out removes the tray icon and ends the program, also while a
// run is active and the window is hidden; nothing is saved.
TEST_P(ExitPath, removesTheTrayIconAndEnds)
{
    FormHarness h;
    Form1& f = h.form;
    f.Form_Load();
    int ended = 0;
    f.ended.connect([&ended] { ++ended; });
    f.Timer1.setEnabled(true);
    f.Command5_Click();
    ASSERT_TRUE(h.tray.icon.has_value());

    const std::string path = GetParam();
    if (path == "Command8")
        f.Command8.click();
    else if (path == "mnuExit")
        f.mnuExit.clicked.emit();
    else
        f.Unload();

    EXPECT_FALSE(h.tray.icon.has_value());
    ASSERT_FALSE(h.tray.requests.empty());
    const auto& last = h.tray.requests.back();
    EXPECT_EQ(last.kind, FakeTrayService::Hide);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(f.unloaded());
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_FALSE(std::filesystem::exists(u8path(f.setFile)));
    EXPECT_TRUE(h.messages.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, ExitPath, ::testing::Values("Command8", "mnuExit", "closeBox"));

TEST(FormModel, optionButtonsAndCheckBoxEvents)
{
    FormHarness h;
    Form1& f = h.form;
    f.Option2.click();
    EXPECT_FALSE(f.Option1.value());
    EXPECT_TRUE(f.Option2.value());
    f.Option2.setValue(false);
    EXPECT_FALSE(f.Option1.value());
    EXPECT_FALSE(f.Option2.value());

    // Every change of the value runs the lock toggle, whoever makes it.
    f.Check1.click();
    EXPECT_EQ(f.Check1.caption(), "解");
    EXPECT_FALSE(f.Text8.enabled());
    f.Check1.setValue(1);
    EXPECT_EQ(f.Check1.caption(), "解") << "no change, no event";
    f.Check1.setValue(0);
    EXPECT_EQ(f.Check1.caption(), "锁");
    EXPECT_TRUE(f.Text6.enabled());
}

} // namespace
