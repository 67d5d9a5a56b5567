// The background runner's decisions: what it catches up, what it logs and
// with which priority, when it stands aside for the window; and the records
// it keeps from one start to the next.

#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_data_access.h"
#include "fakes/temp_folder.h"
#include "fakes/test_shell.h"
#include "platform/runner_log.h"
#include "platform/schedule_lock.h"
#include "platform_seams.h"
#include "service/run_record_store.h"
#include "service/runner_host.h"
#include "service/schedule_runner.h"
#include "service/stop_request.h"

namespace {

class MemoryRecords final : public RunRecordStore {
public:
    Loaded load() override { return {kept, problem}; }
    void save(const RunRecords& records) override
    {
        if (failSaves)
            throw FileIo::Error("磁盘已满");
        kept = records;
        ++saves;
    }
    std::optional<RunRecords> kept;
    std::optional<std::string> problem;
    bool failSaves = false;
    int saves = 0;
};

class SwitchLock final : public ScheduleLock {
public:
    Outcome take(const std::string& settingsFile) override
    {
        taken = settingsFile;
        return next;
    }
    void release() override { released = true; }
    Outcome next = Outcome::Held;
    std::string taken;
    bool released = false;
};

class LinesLog final : public RunnerLog {
public:
    void write(Priority priority, const std::string& text) override
    {
        lines.push_back("<" + std::to_string(static_cast<int>(priority)) + ">" + text);
    }
    bool has(const std::string& part) const
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    std::vector<std::string> lines;
};

// A stop that the service manager sends once that many databases were begun.
class StopAfter final : public StopRequest {
public:
    bool requested() override { return ++asked > databasesBefore; }
    int databasesBefore = 1 << 30;
    int asked = 0;
};

LocalDateTime at(int day, int hour, int minute, int second)
{
    return {2026, 12, day, hour, minute, second, 0};
}

class Runner : public ::testing::Test {
protected:
    Runner()
    {
        settings.databases = {"sales", "crm"};
        settings.backupFolder = utf8Of(temp.path()) + "/";
        settings.slot1 = "03:00:00";
        settings.slot2 = "12:00:00";
        settings.slot3 = "bad";
        server.databases = {"sales", "crm"};
        runner.use(settings);
    }
    std::size_t backups() const
    {
        std::size_t count = 0;
        for (const std::string& statement : server.statements())
            count += statement.rfind("backup", 0) == 0 ? 1 : 0;
        return count;
    }

    TempFolder temp;
    TestShell shell{temp.path() / "trash"};
    FakeDataAccess server;
    MemoryRecords records;
    SwitchLock lock;
    LinesLog log;
    StopAfter stop;
    Settings settings;
    ScheduleRunner runner{{shell, server, records, lock, log, stop}, "/srv/ondrel/ondrel.ini"};
};

TEST_F(Runner, aFirstStartCatchesNothingUpAndRemembersWhenItBegan)
{
    runner.start(at(8, 9, 30, 0));
    EXPECT_EQ(backups(), 0u);
    ASSERT_TRUE(records.kept);
    EXPECT_EQ(records.kept->since, at(8, 9, 30, 0));
    EXPECT_TRUE(records.kept->slots.empty());
}

TEST_F(Runner, theMostRecentSlotMissedWhileStoppedIsCaughtUpOnceAtStart)
{
    records.kept = RunRecords{
        at(1, 0, 0, 0), at(7, 12, 0, 2), {{"12:00:00", at(7, 12, 0, 0), at(7, 12, 0, 0), RunOutcome::Succeeded, 2, 2}}};
    // Down from the evening before: the 03:00 slot passed, the 12:00 one has not come.
    runner.start(at(8, 9, 30, 0));
    EXPECT_EQ(backups(), 2u) << "one run, one statement per database";
    ASSERT_TRUE(records.kept->runOf("03:00:00"));
    EXPECT_EQ(records.kept->runOf("03:00:00")->slotTime, at(8, 3, 0, 0));
    EXPECT_EQ(records.kept->runOf("03:00:00")->ranAt, at(8, 9, 30, 0));
    EXPECT_TRUE(log.has("<4>时间段03:00:00(2026-12-08 03:00:00)的备份在后台备份服务未运行时错过"));

    // Started again: that slot is no longer missed, and the ticks that follow
    // run only what comes.
    ScheduleRunner again({shell, server, records, lock, log, stop}, "/srv/ondrel/ondrel.ini");
    again.use(settings);
    again.start(at(8, 9, 31, 0));
    for (int second = 1; second <= 5; ++second)
        again.tick(at(8, 9, 31, second));
    EXPECT_EQ(backups(), 2u);
}

TEST_F(Runner, nothingBeforeTheFirstStartAndNothingAlreadyRunIsCaughtUp)
{
    records.kept = RunRecords{at(8, 5, 0, 0), std::nullopt, {}};
    runner.start(at(8, 9, 0, 0)); // 03:00 came before the runner's first start
    EXPECT_EQ(backups(), 0u);

    records.kept = RunRecords{
        at(1, 0, 0, 0), std::nullopt, {{"03:00:00", at(8, 3, 0, 0), at(8, 3, 0, 0), RunOutcome::Failed, 0, 2}}};
    runner.start(at(8, 9, 0, 0)); // run, if failed: its failure was logged then
    EXPECT_EQ(backups(), 0u);
}

TEST_F(Runner, everyDatabaseGetsItsChanceAndEachFailureIsLoggedAsAnError)
{
    server.databases = {"crm"};
    server.executeFailure = [](const std::string& statement) -> std::optional<std::int32_t> {
        if (statement.find("[sales]") != std::string::npos)
            return DatabaseError::kErrorsInCommand;
        return std::nullopt;
    };
    records.kept = RunRecords{at(8, 2, 0, 0), std::nullopt, {}};
    runner.start(at(8, 2, 59, 58));
    runner.tick(at(8, 2, 59, 59));
    runner.tick(at(8, 3, 0, 0));
    EXPECT_EQ(backups(), 2u) << "crm is backed up after sales failed";
    EXPECT_TRUE(log.has("<3>没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900 数据库:sales 服务器:"));
    EXPECT_TRUE(log.has("<3>时间段03:00:00备份失败:2个数据库中1个备份成功。"));
    const SlotRun* run = records.kept->runOf("03:00:00");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->backedUp, 1u);
    EXPECT_FALSE(records.kept->lastSuccess);
}

TEST_F(Runner, aStopDuringARunSendsNoMoreAndTheNextStartRunsTheSlotAgainOnce)
{
    records.kept = RunRecords{at(8, 2, 0, 0), std::nullopt, {}};
    runner.start(at(8, 2, 59, 59));
    stop.databasesBefore = 1;
    runner.tick(at(8, 3, 0, 0));
    EXPECT_EQ(backups(), 1u) << "the statement under way ends; crm is not sent";
    EXPECT_TRUE(
        log.has("<3>时间段03:00:00的备份未完成,后台备份服务已停止:2个数据库中1个备份成功,其余的下次启动时补做。"));
    const SlotRun* run = records.kept->runOf("03:00:00");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->outcome, RunOutcome::Stopped);
    EXPECT_EQ(run->backedUp, 1u);
    EXPECT_EQ(RunAlerts::forOperator(*records.kept, at(8, 3, 5, 0)),
              "后台备份服务2026-12-08 03:00:00的备份(时间段03:00:00)未完成,服务已停止:2个数据库中1个备份成功,"
              "请查看系统日志。");

    for (const char* moment : {"first", "second"}) {
        stop.databasesBefore = 1 << 30;
        ScheduleRunner again({shell, server, records, lock, log, stop}, "/srv/ondrel/ondrel.ini");
        again.use(settings);
        again.start(at(8, 3, 10, 0));
        EXPECT_EQ(backups(), 3u) << moment << " start after the stop: the whole slot once more, then not again";
    }
    EXPECT_TRUE(log.has("<4>时间段03:00:00(2026-12-08 03:00:00)的备份因后台备份服务停止未完成,现在补做一次。"));
    EXPECT_EQ(records.kept->runOf("03:00:00")->outcome, RunOutcome::Succeeded);
    EXPECT_FALSE(RunAlerts::forOperator(*records.kept, at(8, 3, 11, 0)));
}

TEST_F(Runner, aSuccessIsLoggedAsInfoAndKeptAsTheLastSuccess)
{
    records.kept = RunRecords{at(8, 11, 0, 0), std::nullopt, {}};
    runner.start(at(8, 11, 59, 59));
    runner.tick(at(8, 12, 0, 0));
    EXPECT_EQ(backups(), 2u);
    EXPECT_TRUE(log.has("<6>时间段12:00:00备份完成:2个数据库全部备份成功。"));
    EXPECT_EQ(records.kept->lastSuccess, at(8, 12, 0, 0));
}

TEST_F(Runner, whileTheWindowRunsTheScheduleTheRunnerStandsAsideAndSaysSoOnce)
{
    records.kept = RunRecords{at(8, 11, 0, 0), std::nullopt, {}};
    lock.next = ScheduleLock::Outcome::HeldElsewhere;
    runner.start(at(8, 11, 59, 58));
    runner.tick(at(8, 11, 59, 59));
    runner.tick(at(8, 12, 0, 0));
    EXPECT_EQ(lock.taken, "/srv/ondrel/ondrel.ini");
    EXPECT_EQ(backups(), 0u);
    EXPECT_EQ(std::count_if(log.lines.begin(), log.lines.end(),
                            [](const std::string& line) { return line.find("<4>窗口程序正在运行") == 0; }),
              1);
    EXPECT_EQ(records.kept->runOf("12:00:00")->outcome, RunOutcome::RunByWindow);
    EXPECT_EQ(runner.status(at(8, 12, 0, 1)), "窗口程序正在运行此备份计划");

    // The window stopped: the next slot is the runner's again.
    lock.next = ScheduleLock::Outcome::Held;
    runner.tick(at(9, 3, 0, 0));
    EXPECT_TRUE(log.has("<6>窗口程序已停止运行此备份计划"));
    EXPECT_EQ(backups(), 2u);
    runner.stop();
    EXPECT_TRUE(lock.released);
}

TEST_F(Runner, aLockThatCannotBeHadIsAnErrorButBackupsStillRun)
{
    records.kept = RunRecords{at(8, 11, 0, 0), std::nullopt, {}};
    lock.next = ScheduleLock::Outcome::Unavailable;
    runner.start(at(8, 11, 59, 59));
    runner.tick(at(8, 12, 0, 0));
    EXPECT_TRUE(log.has("<3>无法打开或创建锁文件“/srv/ondrel/ondrel.ini.lock”"));
    EXPECT_EQ(backups(), 2u);
}

TEST_F(Runner, twentySixHoursWithoutSuccessIsAWarningOncePerTwentySixHours)
{
    records.kept = RunRecords{at(1, 0, 0, 0), at(7, 3, 0, 0), {}};
    settings.slot1 = settings.slot2 = "bad";
    runner.use(settings);
    runner.start(at(8, 5, 0, 0));
    runner.tick(at(8, 5, 0, 0)); // 26 hours to the second: not more
    EXPECT_FALSE(log.has("26小时"));
    runner.tick(at(8, 5, 0, 1));
    runner.tick(at(8, 5, 0, 2));
    runner.tick(at(9, 7, 0, 1));
    runner.tick(at(9, 7, 0, 2));
    EXPECT_EQ(std::count_if(
                  log.lines.begin(), log.lines.end(),
                  [](const std::string& line) {
                      return line
                          == "<4>后台备份服务已超过26小时没有成功备份(上次成功:2026-12-07 03:00:00),请查看系统日志。";
                  }),
              2);
}

TEST_F(Runner, recordsThatCannotBeKeptAreAnError)
{
    records.failSaves = true;
    runner.start(at(8, 9, 0, 0));
    EXPECT_TRUE(log.has("<3>无法保存运行记录:磁盘已满"));
}

TEST_F(Runner, statusNamesTheNextSlotOrWhyThereIsNone)
{
    EXPECT_EQ(runner.status(at(8, 12, 0, 0)), "下次备份:2026-12-09 03:00:00");
    EXPECT_EQ(runner.status(at(8, 2, 0, 0)), "下次备份:2026-12-08 03:00:00");
    settings.slot1 = settings.slot2 = "3:00:00";
    runner.use(settings);
    EXPECT_EQ(runner.status(at(8, 2, 0, 0)), "没有有效的时间段,不会备份");
}

TEST_F(Runner, theHostSleepsTillJustAfterTheNextSlotAndNoLongerThanItMay)
{
    FakeClock clock({2026, 12, 8, 2, 59, 50, 400});
    PlatformFileIo files;
    PlatformTextEncoding encoding;
    RunnerHost host({clock, files, encoding, runner, log}, utf8Of(temp.path()) + "/ondrel.ini");
    EXPECT_EQ(host.msToNextCheck(30000), 9605) << "03:00:00.005";
    EXPECT_EQ(host.msToNextCheck(5000), 5000);
    lock.next = ScheduleLock::Outcome::HeldElsewhere;
    runner.tick(clock.now());
    EXPECT_EQ(host.msToNextCheck(30000), 1000) << "looking each second for the window to let go";
}

TEST_F(Runner, theHostTakesASavedFileAndKeepsTheLastGoodOneOverABrokenOne)
{
    FakeClock clock({2026, 12, 8, 9, 0, 0, 0});
    PlatformFileIo files;
    PlatformTextEncoding encoding;
    const std::string path = utf8Of(temp.path()) + "/ondrel.ini";
    RunnerHost host({clock, files, encoding, runner, log}, path);
    settings.slot3 = "10:00:00";
    ASSERT_TRUE(SettingsStore(files, encoding).save(path, settings).written);
    host.readSettings(true);
    EXPECT_EQ(runner.nextSlot(clock.now()), (LocalDateTime{2026, 12, 8, 10, 0, 0, 0}));

    files.writeAtomically(path, "127.0.0.1\r\n");
    host.readSettings(false);
    EXPECT_TRUE(log.has("<3>配置文件 " + path + " 第2行无法读取"));
    EXPECT_TRUE(log.has("后台备份服务继续使用上次读取的设置。"));
    EXPECT_EQ(runner.nextSlot(clock.now()), (LocalDateTime{2026, 12, 8, 10, 0, 0, 0}));
    const std::size_t lines = log.lines.size();
    host.readSettings(false);
    EXPECT_EQ(log.lines.size(), lines) << "an unchanged file is not read again";
}

TEST(RunRecordsFile, readsBackWhatItWroteAndNothingOfAFileCutShort)
{
    RunRecords records{at(1, 8, 0, 0), at(8, 3, 0, 4), {}};
    records.record({"03:00:00", at(8, 3, 0, 0), at(8, 3, 0, 0), RunOutcome::Succeeded, 2, 2});
    records.record({"12:00:00", at(7, 12, 0, 0), at(7, 12, 0, 0), RunOutcome::Failed, 1, 2});
    records.record({"12:00:00", at(8, 12, 0, 0), at(8, 12, 0, 1), RunOutcome::RunByWindow, 0, 0});
    records.record({"18:00:00", at(8, 18, 0, 0), at(8, 18, 0, 0), RunOutcome::Stopped, 1, 2});
    const std::string bytes = records.encode();
    ASSERT_EQ(RunRecords::decode(bytes), records);
    EXPECT_EQ(records.slots.size(), 3u) << "one run per slot";
    EXPECT_EQ(records.latest()->slot, "18:00:00");

    // Only the last line's end may go.
    for (std::size_t cut = 0; cut + 1 < bytes.size(); ++cut)
        EXPECT_FALSE(RunRecords::decode(bytes.substr(0, cut))) << cut;
    EXPECT_FALSE(RunRecords::decode("ondrel-runs 1\nsince\t2026-02-30 00:00:00\nend\n"));
    EXPECT_FALSE(RunRecords::decode("ondrel-runs 2\nsince\t2026-02-03 00:00:00\nend\n"));
}

TEST(RunRecordsAlerts, aFailedLastRunOrTwentySixQuietHoursReachTheOperator)
{
    RunRecords records{at(1, 8, 0, 0), at(7, 3, 0, 0), {}};
    EXPECT_FALSE(RunAlerts::forOperator(records, at(8, 5, 0, 0)));
    EXPECT_EQ(RunAlerts::forOperator(records, at(8, 5, 0, 1)),
              "后台备份服务已超过26小时没有成功备份(上次成功:2026-12-07 03:00:00),请查看系统日志。");

    records.record({"03:00:00", at(8, 3, 0, 0), at(8, 3, 0, 0), RunOutcome::Failed, 1, 3});
    EXPECT_EQ(RunAlerts::forOperator(records, at(8, 4, 0, 0)),
              "后台备份服务2026-12-08 03:00:00的备份(时间段03:00:00)失败:3个数据库中1个备份成功,请查看系统日志。");

    // The window ran the last slot: it told its own outcome.
    records.record({"12:00:00", at(8, 12, 0, 0), at(8, 12, 0, 0), RunOutcome::RunByWindow, 0, 0});
    EXPECT_FALSE(RunAlerts::forOperator(records, at(8, 13, 0, 0)));

    RunRecords never{at(1, 8, 0, 0), std::nullopt, {}};
    EXPECT_EQ(RunAlerts::forOperator(never, at(8, 0, 0, 0)),
              "后台备份服务已超过26小时没有成功备份(自2026-12-01 08:00:00启动以来没有一次成功),请查看系统日志。");
}

} // namespace
