#include <gtest/gtest.h>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"

namespace fs = std::filesystem;

namespace {

// A running schedule over the in-process fake server; the clock moves one
// tick at a time.
class Schedule : public ::testing::Test {
protected:
    Schedule()
    {
        folder = (h.temp.path() / "bak").string() + "/";
        f.Text3.setText("pw");
        f.Text5.setText(folder);
        f.masterDb = "master";
        h.clock.set({2026, 12, 6, 11, 59, 0, 0});
        f.Timer1.setEnabled(true);
    }

    void tick(long long seconds = 1)
    {
        for (long long i = 0; i < seconds; ++i) {
            h.clock.advanceSeconds(1);
            f.Timer1_Timer();
        }
    }
    void list(std::initializer_list<std::string> names)
    {
        for (const std::string& name : names)
            f.Combo1.addItem(name);
    }
    std::vector<std::string> statements() const { return h.fakeDb.statements(); }
    std::string statement(const std::string& db, const std::string& path) const
    {
        return "backup database [" + db + "] to disk=N'" + path + "'";
    }

    FormHarness h;
    Form1& f = h.form;
    std::string folder;
};

TEST_F(Schedule, oneRunInTheSlotSecondAndNoneBeforeOrAfter)
{
    list({"sales", "crm"});
    tick(59);
    EXPECT_TRUE(h.fakeDb.events.empty());
    EXPECT_FALSE(fs::exists(folder)) << "a tick with no slot due touches nothing";
    tick();
    EXPECT_EQ(
        statements(),
        (std::vector<std::string>{statement("sales", folder + "sales.bak"), statement("crm", folder + "crm.bak")}));
    // One connection each: open, backup, close.
    std::vector<std::string> kinds;
    for (const auto& event : h.fakeDb.events)
        kinds.push_back(event.kind);
    EXPECT_EQ(kinds, (std::vector<std::string>{"open", "execute", "close", "open", "execute", "close"}));
    EXPECT_EQ(h.fakeDb.events[0].text, "Driver={SQL Server};Server=127.0.0.1;Database=master;uid=sa;pwd=pw;");
    EXPECT_EQ(f.bakFile, folder + "crm.bak");
    EXPECT_EQ(f.bakDb, "crm");
    EXPECT_TRUE(fs::exists(folder + "sales.bak"));
    tick();
    EXPECT_EQ(statements().size(), 2u);
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_EQ(f.sqlPwd, "pw");
}

TEST_F(Schedule, equalSlotsRunOnceAndAnEditedSlotMatchesFromTheNextTick)
{
    list({"sales"});
    f.Text8.setText("11:59:30");
    f.Text6.setText("11:59:30");
    tick(30);
    EXPECT_EQ(statements().size(), 1u);
    f.Text7.setText("11:59:40");
    tick(10);
    EXPECT_EQ(statements().size(), 2u);
}

TEST_F(Schedule, theOldFileGoesToTheTrashBeforeTheNewBackup)
{
    list({"sales"});
    fs::create_directories(folder);
    writeBytes(folder + "sales.bak", "yesterday");
    bool oldFileGoneAtBackup = false;
    h.fakeDb.duringExecute = [&](const std::string&) { oldFileGoneAtBackup = !fs::exists(folder + "sales.bak"); };
    tick(60);
    EXPECT_TRUE(oldFileGoneAtBackup);
    EXPECT_EQ(h.shell.trashed(), std::vector<std::string>{"sales.bak"});
    EXPECT_EQ(readBytes(h.temp.path() / "trash" / "sales.bak"), "yesterday");
}

TEST_F(Schedule, withoutATrashTheOldFileWaitsUntilTheNewBackupSucceeded)
{
    list({"sales", "crm"});
    fs::create_directories(folder);
    writeBytes(folder + "sales.bak", "old sales");
    writeBytes(folder + "crm.bak", "old crm");
    h.shell.trashWorks = false;
    h.fakeDb.executeFailure = [](const std::string& sql) -> std::optional<std::int32_t> {
        if (sql.find("[crm]") != std::string::npos)
            return DatabaseError::kFail;
        return std::nullopt;
    };
    tick(60);
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"连接服务器超时或MSSQL数据不存在,报错号:-2147467259"});
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    ASSERT_EQ(left.size(), 2u) << "sales.bak replaced; the old crm backup kept aside";
    EXPECT_EQ(left[0], "crm.bak.20261206-120000.old");
    EXPECT_EQ(readBytes(folder + left[0]), "old crm");
    EXPECT_EQ(left[1], "sales.bak");
    EXPECT_NE(readBytes(folder + "sales.bak"), "old sales");
}

TEST_F(Schedule, aFileThatCannotBeMovedStillGetsItsBackup)
{
    list({"sales"});
    fs::create_directories(folder);
    writeBytes(folder + "sales.bak", "old");
    h.shell.trashWorks = false;
    h.shell.renameWorks = false;
    tick(60);
    EXPECT_EQ(statements(), std::vector<std::string>{statement("sales", folder + "sales.bak")});
    EXPECT_TRUE(h.messages.boxes.empty());
}

TEST_F(Schedule, anEmptyListSendsNothingAndSaysNothing)
{
    tick(60);
    EXPECT_TRUE(h.fakeDb.events.empty());
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_TRUE(fs::is_directory(folder)) << "the folder is still made sure of";
    EXPECT_EQ(f.sqlServer, "127.0.0.1");
}

TEST_F(Schedule, aFailureEndsTheRunWithOneBoxAndTheNextSlotStartsAfresh)
{
    list({"d1", "d2", "d3", "d4", "d5"});
    h.fakeDb.executeFailure = [](const std::string& sql) -> std::optional<std::int32_t> {
        if (sql.find("[d3]") != std::string::npos)
            return DatabaseError::kErrorsInCommand;
        return std::nullopt;
    };
    tick(60);
    EXPECT_EQ(h.messages.texts(),
              std::vector<std::string>{"没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900"});
    EXPECT_EQ(statements().size(), 3u);
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(h.fakeDb.openConnections, 0) << "the failed run's connection is released";

    h.fakeDb.executeFailure = nullptr;
    h.clock.set(17, 59, 59);
    tick();
    const auto all = statements();
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all[3], statement("d1", folder + "d1.bak"));
    EXPECT_EQ(all[7], statement("d5", folder + "d5.bak"));
}

TEST_F(Schedule, aFailureWithAnUnknownNegativeNumberIsNotSilent)
{
    list({"sales"});
    h.fakeDb.openFailure = -2147024891;
    tick(60);
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"请登录http://ondrel.cn提交报错号:-2147024891"});
}

TEST_F(Schedule, namesAndPathsAreQuotedSoTheyCannotEndTheStatement)
{
    folder = (h.temp.path() / "it's").string() + "/";
    f.Text5.setText(folder);
    list({"a]b", "o'brien", "x] to disk='evil'--"});
    tick(60);
    std::string quotedFolder = folder;
    quotedFolder.replace(quotedFolder.find('\''), 1, "''");
    EXPECT_EQ(statements(),
              (std::vector<std::string>{"backup database [a]]b] to disk=N'" + quotedFolder + "a]b.bak'",
                                        "backup database [o'brien] to disk=N'" + quotedFolder + "o''brien.bak'",
                                        "backup database [x]] to disk='evil'--] to disk=N'" + quotedFolder
                                            + "x] to disk=''evil''--.bak'"}));
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_TRUE(fs::exists(folder + "x] to disk='evil'--.bak"));
}

TEST_F(Schedule, aFolderWithoutTrailingSeparatorIsAPlainPrefix)
{
    folder = (h.temp.path() / "BAK").string();
    f.Text5.setText(folder);
    list({"sales"});
    tick(60);
    EXPECT_EQ(statements(), std::vector<std::string>{statement("sales", folder + "sales.bak")});
    EXPECT_FALSE(fs::exists(folder)) << "only the folder above is made sure of";
    EXPECT_TRUE(fs::exists(folder + "sales.bak"));
}

TEST_F(Schedule, aLateTickStillRunsTheSlotOnce)
{
    list({"sales"});
    h.clock.set(11, 59, 59);
    f.Timer1_Timer();
    h.clock.set(12, 0, 1);
    f.Timer1_Timer();
    EXPECT_EQ(statements().size(), 1u);
    tick(5);
    EXPECT_EQ(statements().size(), 1u);
}

TEST_F(Schedule, aBackupLastingPastTheNextSlotIsFollowedByThatSlotsRun)
{
    list({"sales"});
    f.Text7.setText("12:00:30");
    int backups = 0;
    h.fakeDb.duringExecute = [&](const std::string&) {
        if (++backups == 1)
            h.clock.advanceSeconds(45);
    };
    tick(60);
    EXPECT_EQ(backups, 1);
    tick();
    EXPECT_EQ(backups, 2) << "the 12:00:30 slot passed during the first run";
    tick(10);
    EXPECT_EQ(backups, 2);
}

TEST_F(Schedule, aStopAndStartDoesNotCatchUpTheSlotsBetween)
{
    list({"sales"});
    h.clock.set(11, 0, 0);
    f.Timer1_Timer();
    f.Timer1.setEnabled(false);
    h.clock.set(13, 0, 0);
    f.Timer1.setEnabled(true);
    f.Timer1_Timer();
    tick(5);
    EXPECT_TRUE(statements().empty());
}

// Nobody may be at the console when a run fails: the box stays open while
// the schedule goes on, and the next slot backs up as usual.
TEST_F(Schedule, ticksGoOnWhileAFailureBoxIsOpen)
{
    list({"sales"});
    h.fakeDb.openFailure = DatabaseError::kAuthFailed;
    h.messages.whileOpen = [&](const RecordingMessageBox::Box&) {
        h.messages.whileOpen = nullptr;
        h.fakeDb.openFailure.reset();
        h.clock.set(17, 59, 59);
        f.Timer1_Timer();
        h.clock.set(18, 0, 0);
        f.Timer1_Timer();
    };
    tick(60);
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"登录帐号或密码失败!-2147217843"});
    EXPECT_EQ(statements(), std::vector<std::string>{statement("sales", folder + "sales.bak")});
}

// An unattended week of failing slots must not stack one box inside the
// other (each a nested event loop) until the stack runs out: the open box
// already calls the operator, later failures show none, and the schedule
// goes on in both modes.
TEST_F(Schedule, aRunFailingWhileAFailureBoxIsOpenShowsNoSecondBox)
{
    list({"sales"});
    h.fakeDb.openFailure = DatabaseError::kAuthFailed;
    int nested = 0;
    h.messages.whileOpen = [&](const RecordingMessageBox::Box&) {
        if (++nested > 1)
            return;
        for (int hour : {18, 3}) {
            h.clock.set(hour, 0, 0);
            f.Timer1_Timer();
        }
        f.Option2.setValue(true);
        h.clock.set(12, 0, 0);
        h.clock.advanceSeconds(86400);
        f.Timer1_Timer();
        h.fakeDb.openFailure.reset();
        h.clock.set(18, 0, 0);
        f.Timer1_Timer();
    };
    tick(60);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"登录帐号或密码失败!-2147217843"});
    ASSERT_EQ(statements().size(), 1u) << "the slot after the failures backs up";

    // Once the box is closed, the next failure shows its box again.
    f.Option1.setValue(true);
    h.fakeDb.openFailure = DatabaseError::kAuthFailed;
    h.clock.set(3, 0, 0);
    f.Timer1_Timer();
    EXPECT_EQ(h.messages.boxes.size(), 2u);
}

TEST_F(Schedule, neitherOptionSelectedRunsTheTimeSlotMode)
{
    f.Option1.setValue(false);
    list({"sales"});
    tick(60);
    EXPECT_EQ(statements(), std::vector<std::string>{statement("sales", folder + "2026年12月06日12时/sales.bak")});
}

class TimeSlotMode : public Schedule {
protected:
    TimeSlotMode() { f.Option2.setValue(true); }
    std::string dated(const char* name) const { return folder + name; }
};

TEST_F(TimeSlotMode, aSecondSlotInTheSameHourReplacesTheFolder)
{
    list({"sales", "crm"});
    f.Text8.setText("12:00:00");
    f.Text7.setText("12:30:00");
    tick(60);
    const std::string hour = dated("2026年12月06日12时");
    EXPECT_EQ(statements(),
              (std::vector<std::string>{statement("sales", hour + "/sales.bak"), statement("crm", hour + "/crm.bak")}));
    EXPECT_TRUE(h.shell.trashRequests.empty());

    tick(30 * 60);
    EXPECT_EQ(h.shell.trashRequests, std::vector<std::string>{hour}) << "the folder, without a separator";
    EXPECT_EQ(h.shell.trashed(), std::vector<std::string>{"2026年12月06日12时"});
    EXPECT_TRUE(fs::exists(h.temp.path() / "trash" / "2026年12月06日12时" / "sales.bak"));
    EXPECT_EQ(readBytes(hour + "/sales.bak"), statement("sales", hour + "/sales.bak") + "\n") << "a fresh set";
    EXPECT_EQ(statements().size(), 4u);
}

TEST_F(TimeSlotMode, slotsOfOtherHoursKeepTheirFoldersDayAfterDay)
{
    list({"sales"});
    f.Text8.setText("03:00:00");
    f.Text7.setText("04:00:00");
    f.Text6.setText("");
    h.clock.set(2, 59, 0);
    tick(2 * 3600);
    h.clock.advanceDays(1);
    h.clock.set(2, 59, 0);
    f.Timer1.setEnabled(false);
    f.Timer1.setEnabled(true);
    tick(2 * 3600);
    std::vector<std::string> folders;
    for (const auto& entry : fs::directory_iterator(folder))
        folders.push_back(entry.path().filename().string());
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders,
              (std::vector<std::string>{"2026年12月06日03时", "2026年12月06日04时", "2026年12月07日03时",
                                        "2026年12月07日04时"}));
    EXPECT_TRUE(h.shell.trashRequests.empty());
}

TEST_F(TimeSlotMode, aFolderWithoutFilesIsKeptAndWrittenInto)
{
    list({"sales"});
    const std::string hour = dated("2026年12月06日12时");
    fs::create_directories(hour + "/sub/deeper");
    writeBytes(hour + "/sub/deeper/keep.txt", "x");
    tick(60);
    EXPECT_TRUE(h.shell.trashRequests.empty());
    EXPECT_TRUE(fs::exists(hour + "/sub/deeper/keep.txt"));
    EXPECT_TRUE(fs::exists(hour + "/sales.bak"));
}

TEST_F(TimeSlotMode, anEmptyListStillReplacesAFolderHoldingFiles)
{
    const std::string hour = dated("2026年12月06日12时");
    fs::create_directories(hour);
    writeBytes(hour + "/.hidden", "counts like a hidden file");
    tick(60);
    EXPECT_EQ(h.shell.trashRequests, std::vector<std::string>{hour});
    EXPECT_TRUE(fs::is_directory(hour));
    EXPECT_TRUE(fs::is_empty(hour));
    EXPECT_TRUE(statements().empty());
    EXPECT_TRUE(h.messages.boxes.empty());
}

TEST_F(TimeSlotMode, aRunCrossingTheHourWritesEveryFileIntoItsOwnFolder)
{
    list({"a", "b", "c"});
    f.Text8.setText("12:59:59");
    h.clock.set(12, 59, 58);
    h.fakeDb.duringExecute = [&](const std::string&) { h.clock.advanceSeconds(1); };
    tick();
    const std::string hour = dated("2026年12月06日12时");
    EXPECT_EQ(statements(),
              (std::vector<std::string>{statement("a", hour + "/a.bak"), statement("b", hour + "/b.bak"),
                                        statement("c", hour + "/c.bak")}));
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_FALSE(fs::exists(dated("2026年12月06日13时")));
}

TEST_F(TimeSlotMode, aFolderWithoutTrailingSeparatorPutsTheDatedFolderBesideIt)
{
    folder = (h.temp.path() / "BAK").string();
    f.Text5.setText(folder);
    list({"sales"});
    tick(60);
    EXPECT_EQ(statements(), std::vector<std::string>{statement("sales", folder + "2026年12月06日12时/sales.bak")});
    EXPECT_TRUE(fs::is_directory(folder + "2026年12月06日12时"));
}

TEST_F(TimeSlotMode, withoutATrashTheOldFolderIsRemovedOnlyAfterTheRunSucceeded)
{
    list({"sales", "crm"});
    const std::string hour = dated("2026年12月06日12时");
    fs::create_directories(hour);
    writeBytes(hour + "/sales.bak", "earlier");
    h.shell.trashWorks = false;
    h.fakeDb.executeFailure = [](const std::string& sql) -> std::optional<std::int32_t> {
        if (sql.find("[crm]") != std::string::npos)
            return DatabaseError::kFail;
        return std::nullopt;
    };
    tick(60);
    const std::string aside = hour + ".20261206-120000.old";
    EXPECT_EQ(readBytes(aside + "/sales.bak"), "earlier");

    h.fakeDb.executeFailure = nullptr;
    f.Text7.setText("12:10:00");
    tick(10 * 60);
    EXPECT_TRUE(fs::exists(aside)) << "the earlier failed run's copy stays";
    EXPECT_FALSE(fs::exists(hour + ".20261206-121000.old")) << "this run succeeded: its copy is gone";
    EXPECT_TRUE(fs::exists(hour + "/crm.bak"));
}

} // namespace
