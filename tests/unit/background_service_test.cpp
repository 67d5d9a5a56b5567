// What the window does about a background service that runs the same
// settings file's schedule: it starts nothing while the service holds the
// schedule, and it shows the service's last result when the operator
// should know it.

#include <gtest/gtest.h>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"
#include "job/run_records.h"
#include "platform/path_separator.h"

namespace {

class BackgroundService : public ::testing::Test {
protected:
    BackgroundService()
    {
        h.clock.set({2026, 12, 8, 9, 0, 0, 0});
        h.fakeDb.databases = {"sales"};
    }
    void writeRecords(const RunRecords& records)
    {
        writeBytes(h.temp.text() + kPathSeparator + RunRecords::kFileName, records.encode());
    }
    void load()
    {
        f.Form_Load();
        f.Text3.setText("pw");
        f.Combo1.addItem("sales");
    }

    FormHarness h;
    Form1& f = h.form;
};

TEST_F(BackgroundService, whileItHoldsTheScheduleStartingShowsOneBoxAndStartsNothing)
{
    load();
    PlatformScheduleLock service;
    ASSERT_EQ(service.take(f.setFile), ScheduleLock::Outcome::Held);

    f.Command1.click();
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text,
              "后台备份服务正在运行此配置文件的备份计划,窗口不再开启备份,以免同一时间段备份两次。");
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_TRUE(h.fakeDb.events.empty()) << "not even the database check";

    service.release();
    f.Command1.click();
    EXPECT_EQ(f.Command1.caption(), "停止备份");
    // Now the window holds it, until it stops.
    EXPECT_EQ(service.take(f.setFile), ScheduleLock::Outcome::HeldElsewhere);
    f.Command1.click();
    EXPECT_EQ(service.take(f.setFile), ScheduleLock::Outcome::Held);
}

TEST_F(BackgroundService, aStartThatFailsItsChecksLeavesTheScheduleFree)
{
    load();
    f.Text3.setText("");
    f.Command1.click();
    ASSERT_EQ(f.Command1.caption(), "开始运行");
    PlatformScheduleLock service;
    EXPECT_EQ(service.take(f.setFile), ScheduleLock::Outcome::Held);
}

TEST_F(BackgroundService, itsFailedLastRunIsShownAtStartAndWhenTheWindowComesBack)
{
    RunRecords records{{2026, 12, 1, 8, 0, 0, 0}, LocalDateTime{2026, 12, 7, 12, 0, 3, 0}, {}};
    records.record({"03:00:00", {2026, 12, 8, 3, 0, 0, 0}, {2026, 12, 8, 3, 0, 0, 0}, RunOutcome::Failed, 1, 2});
    writeRecords(records);
    load();
    const std::string alert =
        "后台备份服务2026-12-08 03:00:00的备份(时间段03:00:00)失败:2个数据库中1个备份成功,请查看系统日志。";
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text, alert);
    EXPECT_EQ(h.messages.boxes[0].title, "提示");

    f.mnuChange_Click(); // hidden in the tray
    EXPECT_EQ(h.messages.boxes.size(), 1u);
    f.mnuChange_Click(); // "显示窗口"
    ASSERT_EQ(h.messages.boxes.size(), 2u);
    EXPECT_EQ(h.messages.boxes[1].text, alert);
}

TEST_F(BackgroundService, aRecentSuccessShowsNothingAndTwentySixQuietHoursShowTheirBox)
{
    RunRecords records{{2026, 12, 1, 8, 0, 0, 0}, LocalDateTime{2026, 12, 8, 3, 0, 5, 0}, {}};
    records.record({"03:00:00", {2026, 12, 8, 3, 0, 0, 0}, {2026, 12, 8, 3, 0, 5, 0}, RunOutcome::Succeeded, 2, 2});
    writeRecords(records);
    load();
    EXPECT_TRUE(h.messages.boxes.empty());

    h.clock.set({2026, 12, 9, 5, 0, 6, 0});
    f.mnuChange_Click();
    f.mnuChange_Click();
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text,
              "后台备份服务已超过26小时没有成功备份(上次成功:2026-12-08 03:00:05),请查看系统日志。");
}

TEST_F(BackgroundService, recordsThatCannotBeReadShowNothing)
{
    writeBytes(h.temp.text() + kPathSeparator + RunRecords::kFileName, "ondrel-runs 1\nsince\t2026-12-01");
    load();
    EXPECT_TRUE(h.messages.boxes.empty());
}

} // namespace
