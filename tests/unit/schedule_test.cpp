#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"
#include "platform/path_separator.h"

namespace fs = std::filesystem;

namespace {

// What the program puts between a folder and what it holds.
const std::string kSep(1, kPathSeparator);

// A running schedule over the in-process fake server; the clock moves one
// tick at a time.
class Schedule : public ::testing::Test {
protected:
    Schedule()
    {
        folder = utf8Of(h.temp.path() / "bak") + kSep;
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
    EXPECT_FALSE(fs::exists(u8path(folder))) << "a tick with no slot due touches nothing";
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
    EXPECT_TRUE(fs::exists(u8path(folder + "sales.bak")));
    tick();
    EXPECT_EQ(statements().size(), 2u);
    EXPECT_TRUE(h.messages.boxes.empty());
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

// What the backup folder holds, by name, sorted.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(u8path(folder)))
        names.push_back(utf8Of(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// The kinds of trash old backups meet, and where an old backup ends up
// when its replacement was written and when it failed.
struct TrashCase {
    const char* name;
    bool keeps;           // keeps whatever it takes (the freedesktop trash)
    bool works;           // takes anything at all
    bool deletesOutright; // a recycle bin on a volume without one
    bool replacedInTrash; // the old backup of a good run ends in the trash
    bool failedInTrash;   // the old backup of a failed run is in the trash (else back in place)
};

void PrintTo(const TrashCase& c, std::ostream* os)
{
    *os << c.name;
}

class OldBackups : public Schedule, public ::testing::WithParamInterface<TrashCase> {
protected:
    OldBackups()
    {
        h.shell.trashKeeps = GetParam().keeps;
        h.shell.trashWorks = GetParam().works;
        h.shell.trashDeletesOutright = GetParam().deletesOutright;
    }
};

// Never without a backup: where the trash may delete outright (or takes
// nothing), the old file waits in the backup folder until the new one is
// written, and a failed backup puts it back under its name.
TEST_P(OldBackups, goOnlyWhereTheyAreKeptUntilTheNewBackupIsWritten)
{
    list({"sales", "crm"});
    fs::create_directories(u8path(folder));
    writeBytes(folder + "sales.bak", "old sales");
    writeBytes(folder + "crm.bak", "old crm");
    std::vector<std::vector<std::string>> atBackup;
    std::size_t trashRequestsAtFirstBackup = 0;
    h.fakeDb.duringExecute = [&](const std::string&) {
        if (atBackup.empty())
            trashRequestsAtFirstBackup = h.shell.trashRequests.size();
        atBackup.push_back(namesIn(folder));
    };
    h.fakeDb.executeFailure = [](const std::string& sql) -> std::optional<std::int32_t> {
        if (sql.find("[crm]") != std::string::npos)
            return DatabaseError::kFail;
        return std::nullopt;
    };
    tick(60);
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"连接服务器超时或MSSQL数据不存在,报错号:-2147467259"});

    ASSERT_EQ(atBackup.size(), 2u);
    const std::string aside = "sales.bak.20261206-120000.old";
    if (GetParam().keeps && GetParam().works) {
        EXPECT_EQ(atBackup[0], std::vector<std::string>{"crm.bak"}) << "the old file went to the trash first";
    } else {
        EXPECT_EQ(atBackup[0], (std::vector<std::string>{"crm.bak", aside})) << "the old file waits aside";
        if (!GetParam().keeps) {
            EXPECT_EQ(trashRequestsAtFirstBackup, 0u) << "a trash that may delete is not asked yet";
        }
    }

    std::vector<std::string> trashed = h.shell.trashed();
    std::sort(trashed.begin(), trashed.end());
    std::vector<std::string> inTrash;
    if (GetParam().failedInTrash)
        inTrash.push_back("crm.bak");
    if (GetParam().replacedInTrash)
        inTrash.push_back("sales.bak");
    EXPECT_EQ(trashed, inTrash) << "under their own names";
    if (!GetParam().keeps) {
        ASSERT_FALSE(h.shell.trashRequests.empty());
        EXPECT_EQ(h.shell.trashRequests[0], folder + "sales.bak")
            << "from its own place, which the trash records for restoring it";
    }
    if (GetParam().replacedInTrash) {
        EXPECT_EQ(readBytes(h.temp.path() / "trash" / "sales.bak"), "old sales");
    }

    EXPECT_NE(readBytes(folder + "sales.bak"), "old sales");
    if (GetParam().failedInTrash) {
        EXPECT_EQ(namesIn(folder), std::vector<std::string>{"sales.bak"});
    } else {
        EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"crm.bak", "sales.bak"})) << "nothing left aside";
        EXPECT_EQ(readBytes(folder + "crm.bak"), "old crm") << "the failed backup's old file is back in place";
    }
}

INSTANTIATE_TEST_SUITE_P(Trashes, OldBackups,
                         ::testing::Values(TrashCase{"FreedesktopTrash", true, true, false, true, true},
                                           TrashCase{"TrashRefusing", true, false, false, false, false},
                                           TrashCase{"RecycleBin", false, true, false, true, false},
                                           TrashCase{"RecycleBinDeletingOutright", false, true, true, false, false},
                                           TrashCase{"RecycleBinRefusing", false, false, false, false, false}),
                         [](const auto& test) { return std::string(test.param.name); });

// A failed backup that left a file under the name: the old backup stays in
// the backup folder, in its holding folder, under its own name.
TEST_F(Schedule, anOldFileWaitsAsideWhereAFailedBackupLeftAFile)
{
    list({"sales"});
    h.shell.trashKeeps = false;
    fs::create_directories(u8path(folder));
    writeBytes(folder + "sales.bak", "old");
    h.fakeDb.executeFailure = [&](const std::string&) -> std::optional<std::int32_t> {
        writeBytes(folder + "sales.bak", "half written");
        return DatabaseError::kFail;
    };
    tick(60);
    EXPECT_EQ(readBytes(folder + "sales.bak"), "half written");
    EXPECT_EQ(readBytes(folder + "sales.bak.20261206-120000.old" + kSep + "sales.bak"), "old");
    EXPECT_TRUE(h.shell.trashed().empty());
}

// The old backup goes to a recycle bin from its own place while its
// replacement waits in the holding folder; where a step of that fails, the
// replacement stays under its name and the old backup goes from the
// holding folder instead.
struct StepCase {
    const char* name;
    // The rename that fails, by the ends of its source and target ("/" for
    // the separator); nothing fails where both are empty.
    const char* refusedFrom;
    const char* refusedTo;
    const char* trashedFrom; // where the trash was asked to take the old backup from
};

void PrintTo(const StepCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string withSeparators(std::string path)
{
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class RecyclingSteps : public Schedule, public ::testing::WithParamInterface<StepCase> {};

TEST_P(RecyclingSteps, neverCostTheNewBackupItsName)
{
    list({"sales"});
    h.shell.trashKeeps = false;
    fs::create_directories(u8path(folder));
    writeBytes(folder + "sales.bak", "old");
    const std::string from = withSeparators(GetParam().refusedFrom);
    const std::string to = withSeparators(GetParam().refusedTo);
    h.shell.refusesRename = [&](const std::string& source, const std::string& target) {
        return !(from.empty() && to.empty()) && endsWith(source, from) && endsWith(target, to);
    };
    tick(60);
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"sales.bak"}) << "nothing left aside";
    EXPECT_NE(readBytes(folder + "sales.bak"), "old");
    ASSERT_FALSE(h.shell.trashRequests.empty());
    EXPECT_EQ(h.shell.trashRequests[0], folder + withSeparators(GetParam().trashedFrom));
    EXPECT_EQ(h.shell.trashed(), std::vector<std::string>{"sales.bak"});
    EXPECT_EQ(readBytes(h.temp.path() / "trash" / "sales.bak"), "old");
}

INSTANTIATE_TEST_SUITE_P(RecycleBin, RecyclingSteps,
                         ::testing::Values(StepCase{"AllSteps", "", "", "sales.bak"},
                                           StepCase{"ReplacementCannotStepAside", "", ".new",
                                                    "sales.bak.20261206-120000.old/sales.bak"},
                                           StepCase{"OldCannotStepBack", ".old/sales.bak", "bak/sales.bak",
                                                    "sales.bak.20261206-120000.old/sales.bak"}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(Schedule, aFileThatCannotBeMovedStillGetsItsBackup)
{
    list({"sales"});
    fs::create_directories(u8path(folder));
    writeBytes(folder + "sales.bak", "old");
    h.shell.trashWorks = false;
    h.shell.renameWorks = false;
    tick(60);
    EXPECT_EQ(statements(), std::vector<std::string>{statement("sales", folder + "sales.bak")});
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"sales.bak"}) << "no holding folder left behind";
}

TEST_F(Schedule, anEmptyListSendsNothingAndSaysNothing)
{
    tick(60);
    EXPECT_TRUE(h.fakeDb.events.empty());
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_TRUE(fs::is_directory(u8path(folder))) << "the folder is still made sure of";
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
    folder = utf8Of(h.temp.path() / "it's") + kSep;
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
    EXPECT_TRUE(fs::exists(u8path(folder + "x] to disk='evil'--.bak")));
}

TEST_F(Schedule, aFolderWithoutTrailingSeparatorIsAPlainPrefix)
{
    folder = utf8Of(h.temp.path() / "BAK");
    f.Text5.setText(folder);
    list({"sales"});
    tick(60);
    EXPECT_EQ(statements(), std::vector<std::string>{statement("sales", folder + "sales.bak")});
    EXPECT_FALSE(fs::exists(u8path(folder))) << "only the folder above is made sure of";
    EXPECT_TRUE(fs::exists(u8path(folder + "sales.bak")));
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
    EXPECT_EQ(statements(),
              std::vector<std::string>{statement("sales", folder + "2026年12月06日12时" + kSep + "sales.bak")});
}

class TimeSlotMode : public Schedule {
protected:
    TimeSlotMode() { f.Option2.setValue(true); }
    std::string dated(const char* name) const { return folder + name; }
};

TEST_F(TimeSlotMode, aSecondSlotInTheSameHourReplacesTheFolder)
{
    h.shell.trashKeeps = true;
    list({"sales", "crm"});
    f.Text8.setText("12:00:00");
    f.Text7.setText("12:30:00");
    tick(60);
    const std::string hour = dated("2026年12月06日12时");
    EXPECT_EQ(statements(),
              (std::vector<std::string>{statement("sales", hour + kSep + "sales.bak"),
                                        statement("crm", hour + kSep + "crm.bak")}));
    EXPECT_TRUE(h.shell.trashRequests.empty());

    tick(30 * 60);
    EXPECT_EQ(h.shell.trashRequests, std::vector<std::string>{hour}) << "the folder, without a separator";
    EXPECT_EQ(h.shell.trashed(), std::vector<std::string>{"2026年12月06日12时"});
    EXPECT_TRUE(fs::exists(h.temp.path() / "trash" / u8path("2026年12月06日12时") / "sales.bak"));
    EXPECT_EQ(readBytes(hour + kSep + "sales.bak"), statement("sales", hour + kSep + "sales.bak") + "\n")
        << "a fresh set";
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
    for (const auto& entry : fs::directory_iterator(u8path(folder)))
        folders.push_back(utf8Of(entry.path().filename()));
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
    fs::create_directories(u8path(hour + kSep + "sub/deeper"));
    writeBytes(hour + kSep + "sub/deeper/keep.txt", "x");
    tick(60);
    EXPECT_TRUE(h.shell.trashRequests.empty());
    EXPECT_TRUE(fs::exists(u8path(hour + kSep + "sub/deeper/keep.txt")));
    EXPECT_TRUE(fs::exists(u8path(hour + kSep + "sales.bak")));
}

TEST_F(TimeSlotMode, anEmptyListStillReplacesAFolderHoldingFiles)
{
    h.shell.trashKeeps = true;
    const std::string hour = dated("2026年12月06日12时");
    fs::create_directories(u8path(hour));
    writeBytes(hour + kSep + ".hidden", "counts like a hidden file");
    tick(60);
    EXPECT_EQ(h.shell.trashRequests, std::vector<std::string>{hour});
    EXPECT_TRUE(fs::is_directory(u8path(hour)));
    EXPECT_TRUE(fs::is_empty(u8path(hour)));
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
              (std::vector<std::string>{statement("a", hour + kSep + "a.bak"), statement("b", hour + kSep + "b.bak"),
                                        statement("c", hour + kSep + "c.bak")}));
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_FALSE(fs::exists(u8path(dated("2026年12月06日13时"))));
}

TEST_F(TimeSlotMode, aFolderWithoutTrailingSeparatorPutsTheDatedFolderBesideIt)
{
    folder = utf8Of(h.temp.path() / "BAK");
    f.Text5.setText(folder);
    list({"sales"});
    tick(60);
    EXPECT_EQ(statements(),
              std::vector<std::string>{statement("sales", folder + "2026年12月06日12时" + kSep + "sales.bak")});
    EXPECT_TRUE(fs::is_directory(u8path(folder + "2026年12月06日12时")));
}

TEST_F(TimeSlotMode, withoutATrashTheOldFolderIsRemovedOnlyAfterTheRunSucceeded)
{
    list({"sales", "crm"});
    const std::string hour = dated("2026年12月06日12时");
    fs::create_directories(u8path(hour));
    writeBytes(hour + kSep + "sales.bak", "earlier");
    h.shell.trashKeeps = true;
    h.shell.trashWorks = false;
    h.fakeDb.executeFailure = [](const std::string& sql) -> std::optional<std::int32_t> {
        if (sql.find("[crm]") != std::string::npos)
            return DatabaseError::kFail;
        return std::nullopt;
    };
    tick(60);
    const std::string aside = hour + ".20261206-120000.old";
    EXPECT_EQ(readBytes(aside + kSep + "2026年12月06日12时" + kSep + "sales.bak"), "earlier")
        << "the failed run's new folder holds its name: the earlier set stays aside";

    h.fakeDb.executeFailure = nullptr;
    f.Text7.setText("12:10:00");
    tick(10 * 60);
    EXPECT_TRUE(fs::exists(u8path(aside))) << "the earlier failed run's copy stays";
    EXPECT_FALSE(fs::exists(u8path(hour + ".20261206-121000.old"))) << "this run succeeded: its copy is gone";
    EXPECT_TRUE(fs::exists(u8path(hour + kSep + "crm.bak")));
}

// A recycle bin that may delete outright gets the hour's earlier folder
// only once the new set is written, under the folder's own name.
TEST_F(TimeSlotMode, aRecycleBinGetsTheOldFolderAfterTheNewSetIsWritten)
{
    list({"sales"});
    h.shell.trashKeeps = false;
    const std::string hour = dated("2026年12月06日12时");
    fs::create_directories(u8path(hour));
    writeBytes(hour + kSep + "sales.bak", "earlier");
    std::vector<std::string> atBackup;
    h.fakeDb.duringExecute = [&](const std::string&) { atBackup = namesIn(folder); };
    tick(60);
    const std::string aside = "2026年12月06日12时.20261206-120000.old";
    EXPECT_EQ(atBackup, (std::vector<std::string>{"2026年12月06日12时", aside}));
    EXPECT_EQ(h.shell.trashRequests, std::vector<std::string>{hour})
        << "from its own place, which the trash records for restoring it";
    EXPECT_EQ(h.shell.trashed(), std::vector<std::string>{"2026年12月06日12时"});
    EXPECT_EQ(readBytes(h.temp.path() / "trash" / u8path("2026年12月06日12时") / "sales.bak"), "earlier");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"2026年12月06日12时"});
}

} // namespace
