// The operator's whole job through the window, over the real road: fill in
// the job, start, a slot backs everything up, stop, nothing more happens.

#include "backup/road_schedule.h"

namespace {

TEST(MainJobRoad, startASlotStop)
{
    RoadWindow w(standin({"sales:64KB", "中文库:64KB"}));
    Form1& f = w.form;
    auto& h = w.harness;
    const std::string folder = (h.temp.path() / "备份").string();
    h.folderPicker.answers = {folder};
    h.clock.set({2026, 12, 6, 11, 58, 0, 0});

    for (const char* name : {"sales", "中文库"}) {
        f.Text4.setText(name);
        f.Command2.click();
    }
    f.Command4.click();
    ASSERT_EQ(f.Text5.text(), folder + "/");
    f.Text8.setText("11:59:00");
    f.Command1.click();
    ASSERT_EQ(f.Command1.caption(), "停止备份") << (h.messages.boxes.empty() ? "" : h.messages.boxes[0].text);
    EXPECT_EQ(h.messages.texts(),
              std::vector<std::string>{"备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。"});
    EXPECT_EQ(w.server.statements(),
              (std::vector<std::string>{"Select * From master.dbo.sysdatabases Where name = N'sales'",
                                        "Select * From master.dbo.sysdatabases Where name = N'中文库'"}));

    // What the desktop's tick driver does: a tick a second while the timer is on.
    auto ticks = [&](int seconds) {
        for (int i = 0; i < seconds; ++i) {
            h.clock.advanceSeconds(1);
            if (f.Timer1.enabled())
                f.Timer1_Timer();
        }
    };
    ticks(60);
    const auto sales = inspectBackup(folder + "/sales.bak");
    const auto chinese = inspectBackup(folder + "/中文库.bak");
    ASSERT_EQ(sales.sets.size(), 1u);
    ASSERT_EQ(chinese.sets.size(), 1u);
    EXPECT_EQ(chinese.sets[0].database, "中文库");
    EXPECT_EQ(w.server.statements().size(), 4u);

    f.Command1.click();
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_FALSE(f.Timer1.enabled());
    ticks(24 * 3600);
    EXPECT_EQ(w.server.statements().size(), 4u) << "nothing runs after the stop";
    EXPECT_EQ(h.messages.boxes.size(), 1u);
}

} // namespace
