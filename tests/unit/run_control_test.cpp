#include <gtest/gtest.h>

#include "fakes/form_harness.h"

namespace {

class RunControl : public ::testing::Test {
protected:
    RunControl()
    {
        f.Form_Load();
        f.Text3.setText("pw");
        f.Combo1.addItem("sales");
        h.fakeDb.databases = {"sales", "crm"};
    }

    FormHarness h;
    Form1& f = h.form;
};

TEST_F(RunControl, theFirstEmptyInputIsTheOnlyOneReported)
{
    struct Case {
        std::vector<TextBox*> emptied;
        bool emptyList;
        const char* message;
    };
    const Case cases[] = {
        {{&f.Text1, &f.Text2, &f.Text3, &f.Text5}, true, "服务器IP不能为空。"},
        {{&f.Text2, &f.Text3, &f.Text5}, true, "帐号不能为空。"},
        {{&f.Text3}, false, "密码不能为空。"},
        {{&f.Text5}, true, "请添加需备份的数据库名到列表。"},
        {{&f.Text5}, false, "备份位置不能为空。"},
    };
    for (const Case& c : cases) {
        FormHarness fresh;
        Form1& g = fresh.form;
        g.Form_Load();
        g.Text3.setText("pw");
        g.Text5.setText("/bak/");
        if (!c.emptyList)
            g.Combo1.addItem("sales");
        for (TextBox* field : c.emptied)
            g.findControl(field->name())->setCaption("");
        g.Command1.click();
        ASSERT_EQ(fresh.messages.boxes.size(), 1u) << c.message;
        EXPECT_EQ(fresh.messages.boxes[0].text, c.message);
        EXPECT_EQ(fresh.messages.boxes[0].title, "提示");
        EXPECT_EQ(g.Command1.caption(), "开始运行");
        EXPECT_TRUE(fresh.fakeDb.events.empty()) << "no server contact before the inputs pass";
    }
}

TEST_F(RunControl, startSwitchesEverythingTheRunLocks)
{
    ASSERT_EQ(f.Text5.text(), " ") << "one blank is a folder text that passes the check";
    bool timerOnDuringBox = true;
    h.messages.whileOpen = [&](const RecordingMessageBox::Box&) { timerOnDuringBox = f.Timer1.enabled(); };

    f.Command1.click();

    ASSERT_EQ(h.messages.texts(),
              std::vector<std::string>{"备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。"});
    EXPECT_FALSE(timerOnDuringBox) << "no tick before the operator closed the box";
    EXPECT_EQ(f.caption(), "Ondrel已开启…… http://ondrel.cn");
    EXPECT_EQ(f.icon(), Icon::Running);
    ASSERT_TRUE(h.tray.icon.has_value());
    EXPECT_EQ(h.tray.icon->picture, Icon::Running);
    EXPECT_EQ(f.Command1.caption(), "停止备份");
    EXPECT_EQ(f.stops.caption(), "停止备份");
    EXPECT_TRUE(f.Timer1.enabled());
    for (const Control* locked :
         std::initializer_list<const Control*>{&f.Option1, &f.Option2, &f.Text1, &f.Text2, &f.Text3, &f.Text5, &f.Text8,
                                               &f.Text7, &f.Text6, &f.Command4, &f.Command3, &f.Command7})
        EXPECT_FALSE(locked->enabled()) << locked->name();
    for (const Control* open : std::initializer_list<const Control*>{&f.Text4, &f.Combo1, &f.Command2, &f.Command5,
                                                                     &f.Command6, &f.Command8, &f.Check1})
        EXPECT_TRUE(open->enabled()) << open->name();
    EXPECT_EQ(f.Check1.value(), 1);
    EXPECT_EQ(f.Check1.caption(), "解");
    EXPECT_TRUE(f.visible()) << "starting leaves the window shown";
}

TEST_F(RunControl, aMissingDatabaseChangesNothingUntilItIsRemoved)
{
    f.Combo1.addItem("nosuch");
    f.Command1.click();
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"nosuch数据库不存在,请重新输入或请从列表中删除!"});
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_FALSE(h.tray.icon.has_value());

    f.Combo1.setListIndex(1);
    f.Command3.click();
    f.Command1.click();
    EXPECT_EQ(f.Command1.caption(), "停止备份");
}

TEST_F(RunControl, serverDownAtStartIsReportedAndNothingSwitches)
{
    h.fakeDb.openFailure = DatabaseError::kFail;
    f.Command1.click();
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"连接服务器超时或MSSQL数据不存在,报错号:-2147467259"});
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_EQ(f.caption(), Form1::idleTitle());
}

// Stopping never depends on the server or the inputs: a schedule that
// cannot be stopped is worse than one that stops without a check.
TEST_F(RunControl, stopIsImmediateEvenWithTheServerDown)
{
    f.stops.clicked.emit();
    ASSERT_EQ(f.Command1.caption(), "停止备份");
    const std::size_t boxes = h.messages.boxes.size();
    const std::size_t events = h.fakeDb.events.size();
    h.fakeDb.openFailure = DatabaseError::kFail;
    f.Combo1.addItem("typo"); // names can be added while running
    f.Text1.setText("");

    f.Command1.click();

    EXPECT_EQ(h.messages.boxes.size(), boxes);
    EXPECT_EQ(h.fakeDb.events.size(), events);
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_EQ(f.stops.caption(), "开始运行");
    EXPECT_FALSE(f.Timer1.enabled());
    for (const Control* open :
         std::initializer_list<const Control*>{&f.Option1, &f.Option2, &f.Text1, &f.Text2, &f.Text3, &f.Text5, &f.Text8,
                                               &f.Text7, &f.Text6, &f.Command4, &f.Command3, &f.Command7})
        EXPECT_TRUE(open->enabled()) << open->name();
    EXPECT_EQ(f.Check1.value(), 0);
    EXPECT_EQ(f.Check1.caption(), "锁");
    EXPECT_EQ(f.caption(), Form1::idleTitle());
    EXPECT_EQ(f.icon(), Icon::Running) << "the running icon stays";
    EXPECT_TRUE(h.tray.icon.has_value()) << "stopping leaves the tray icon";
}

// More entries than a 16-bit index can count are still checked one by one.
TEST_F(RunControl, aListLongerThanASixteenBitIndexStarts)
{
    for (int i = 1; i < 40000; ++i)
        f.Combo1.addItem("sales");
    f.Command1.click();
    EXPECT_EQ(f.Command1.caption(), "停止备份");
    std::size_t queries = 0;
    for (const auto& event : h.fakeDb.events)
        queries += event.kind == "query";
    EXPECT_EQ(queries, 40000u);
}

TEST_F(RunControl, slotLockStatesAcrossStartAndStop)
{
    // Locked by the operator before the start: no toggle runs at the start.
    f.Check1.click();
    ASSERT_EQ(f.Check1.caption(), "解");
    f.Command1.click();
    EXPECT_EQ(f.Check1.caption(), "解");
    EXPECT_FALSE(f.Text8.enabled());

    // Unlocked during the run and edited: the stop still leaves it unlocked.
    f.Check1.click();
    EXPECT_TRUE(f.Text8.enabled());
    EXPECT_EQ(f.Check1.caption(), "锁");
    f.Command1.click();
    EXPECT_EQ(f.Check1.caption(), "锁");
    EXPECT_TRUE(f.Text8.enabled());
    EXPECT_TRUE(f.Text7.enabled());
    EXPECT_TRUE(f.Text6.enabled());
}

// A slot that can never match the clock is kept, but named once at the
// start, before the start box; the schedule then starts as usual.
TEST_F(RunControl, slotsThatCanNeverMatchAreNamedBeforeTheStartBox)
{
    f.Text8.setText("3:51:33");
    f.Text7.setText("18:00:00");
    f.Text6.setText("03:52");

    f.Command1.click();

    ASSERT_EQ(h.messages.texts(),
              (std::vector<std::string>{"时间段1“3:51:33”不是有效的时间(hh:mm:ss),该时间段不会备份。\r\n"
                                        "时间段3“03:52”不是有效的时间(hh:mm:ss),该时间段不会备份。",
                                        "备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。"}));
    EXPECT_EQ(h.messages.boxes[0].title, "提示");
    EXPECT_EQ(h.messages.boxes[0].style, 0);
    EXPECT_EQ(f.Command1.caption(), "停止备份");
    EXPECT_EQ(f.Text8.text(), "3:51:33") << "the field is kept as typed";

    // Out-of-range parts and an emptied field are no time either; stopping
    // says nothing.
    h.messages.boxes.clear();
    f.Command1.click();
    EXPECT_TRUE(h.messages.boxes.empty());
    f.Text8.setText("24:00:00");
    f.Text7.setText("");
    f.Text6.setText("03:00:00");
    f.Command1.click();
    ASSERT_EQ(h.messages.boxes.size(), 2u);
    EXPECT_EQ(h.messages.boxes[0].text,
              "时间段1“24:00:00”不是有效的时间(hh:mm:ss),该时间段不会备份。\r\n"
              "时间段2“”不是有效的时间(hh:mm:ss),该时间段不会备份。");
}

} // namespace
