// One slot's run without any window: the job as a value, the real road
// (unixODBC, FreeTDS, TCP) to the stand-in, the platform's files.

#include <gtest/gtest.h>

#include "backup/backup_run.h"
#include "fakes/file_bytes.h"
#include "fakes/temp_folder.h"
#include "fakes/test_shell.h"
#include "odbc/road_window.h"
#include "platform/database_error.h"
#include "standin_inspection.h"

namespace fs = std::filesystem;

namespace {

// What a run reported, in order.
class RecordingReport final : public BackupRunReport {
public:
    void entryRefused(std::size_t position, const std::string& entry) override
    {
        events.push_back("refused " + std::to_string(position) + " " + entry.substr(0, entry.find('\0')));
    }
    void backedUp(const std::string& bakDb, const std::string& bakFile) override
    {
        events.push_back("written " + bakDb + " " + bakFile);
    }
    void backupFailed(const std::string& bakDb, const std::exception& error) override
    {
        events.push_back("failed " + bakDb);
        const auto* database = dynamic_cast<const DatabaseError*>(&error);
        ASSERT_NE(database, nullptr) << error.what();
        failures.push_back(*database);
    }
    bool stopBefore(const std::string& bakDb) override { return bakDb == stopAt; }

    std::vector<std::string> events;
    std::string stopAt;
    std::vector<DatabaseError> failures;
};

class BackupRunRoad : public ::testing::Test {
protected:
    BackupRunRoad() : server(standin({"sales:64KB", "crm:64KB"})), shell(temp.path() / "trash")
    {
        job.login = {server.serverField(), "sa", "Secret#1"};
        job.folder = temp.text() + "/bak/";
    }

    bool run(BackupRun::OnFailure onFailure = BackupRun::OnFailure::EndTheRun)
    {
        return BackupRun(shell, odbc, onFailure).run(job, slot, report);
    }
    std::vector<std::string> backups() const
    {
        std::vector<std::string> texts;
        for (const std::string& text : server.statements()) {
            if (text.rfind("backup", 0) == 0)
                texts.push_back(text);
        }
        return texts;
    }
    static void expectOneSetOf(const fs::path& file, const std::string& database)
    {
        const StandinInspection inspection = inspectBackup(file);
        ASSERT_EQ(inspection.sets.size(), 1u) << file;
        EXPECT_EQ(inspection.sets[0].database, database);
        EXPECT_TRUE(inspection.sets[0].checksumOk);
    }

    StandinServer server;
    OdbcDataAccess odbc;
    TempFolder temp;
    TestShell shell;
    JobSpec job;
    LocalDateTime slot{2026, 12, 6, 3, 0, 0, 0};
    RecordingReport report;
};

TEST_F(BackupRunRoad, replaceModeWritesOneFilePerDatabaseAndTrashesTheOldOne)
{
    job.databases = {"sales", "crm"};
    fs::create_directories(temp.path() / "bak");
    writeBytes(temp.path() / "bak" / "sales.bak", "yesterday");

    EXPECT_TRUE(run());

    EXPECT_EQ(backups(),
              (std::vector<std::string>{"backup database [sales] to disk=N'" + job.folder + "sales.bak'",
                                        "backup database [crm] to disk=N'" + job.folder + "crm.bak'"}));
    expectOneSetOf(job.folder + "sales.bak", "sales");
    expectOneSetOf(job.folder + "crm.bak", "crm");
    EXPECT_EQ(shell.trashed(), std::vector<std::string>{"sales.bak"});
    EXPECT_EQ(readBytes(temp.path() / "trash" / "sales.bak"), "yesterday");
    EXPECT_EQ(report.events,
              (std::vector<std::string>{"written sales " + job.folder + "sales.bak",
                                        "written crm " + job.folder + "crm.bak"}));
}

TEST_F(BackupRunRoad, timeSlotModeReplacesOnlyTheSameHoursFolder)
{
    job.mode = BackupMode::TimeSlot;
    job.databases = {"sales", "crm"};
    const std::string dated = job.folder + "2026年12月06日03时";
    fs::create_directories(u8path(dated));
    writeBytes(dated + "/sales.bak", "an earlier slot of this hour");
    fs::create_directories(u8path(job.folder + "2026年12月06日02时"));
    writeBytes(job.folder + "2026年12月06日02时/sales.bak", "the hour before");

    EXPECT_TRUE(run());

    EXPECT_EQ(backups(),
              (std::vector<std::string>{"backup database [sales] to disk=N'" + dated + "/sales.bak'",
                                        "backup database [crm] to disk=N'" + dated + "/crm.bak'"}));
    expectOneSetOf(dated + "/sales.bak", "sales");
    expectOneSetOf(dated + "/crm.bak", "crm");
    EXPECT_EQ(shell.trashed(), std::vector<std::string>{"2026年12月06日03时"});
    EXPECT_EQ(readBytes(job.folder + "2026年12月06日02时/sales.bak"), "the hour before");
}

// The window's rule: the first failure ends the run, and the old backup of
// the failing database stays where it was.
TEST_F(BackupRunRoad, theFirstFailureEndsTheRunAndKeepsTheOldBackup)
{
    shell.trashKeeps = false;
    job.databases = {"sales", "nosuch", "crm"};
    fs::create_directories(temp.path() / "bak");
    writeBytes(job.folder + "nosuch.bak", "the last good one");

    EXPECT_FALSE(run());

    EXPECT_EQ(backups().size(), 2u) << "crm is not asked for";
    EXPECT_EQ(report.events, (std::vector<std::string>{"written sales " + job.folder + "sales.bak", "failed nosuch"}));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].number(), DatabaseError::kErrorsInCommand);
    EXPECT_EQ(readBytes(job.folder + "nosuch.bak"), "the last good one");
    EXPECT_FALSE(fs::exists(u8path(job.folder + "crm.bak")));
}

// Where nobody waits at a box, every database gets its chance, and each
// failure comes with the server's own words.
TEST_F(BackupRunRoad, goingOnBacksUpTheRestAndReportsEachFailureWithTheServersWords)
{
    job.databases = {"nosuch", "sales", "gone", "crm"};

    EXPECT_FALSE(run(BackupRun::OnFailure::GoOn));

    EXPECT_EQ(backups().size(), 4u);
    EXPECT_EQ(report.events,
              (std::vector<std::string>{"failed nosuch", "written sales " + job.folder + "sales.bak", "failed gone",
                                        "written crm " + job.folder + "crm.bak"}));
    ASSERT_EQ(report.failures.size(), 2u);
    const char* names[] = {"nosuch", "gone"};
    for (std::size_t i = 0; i < 2; ++i) {
        const DatabaseError& failure = report.failures[i];
        EXPECT_EQ(failure.number(), DatabaseError::kErrorsInCommand);
        EXPECT_FALSE(failure.sqlState().empty());
        EXPECT_NE(failure.nativeError(), 0);
        EXPECT_NE(std::string(failure.what()).find(names[i]), std::string::npos) << failure.what();
    }
    expectOneSetOf(job.folder + "sales.bak", "sales");
    expectOneSetOf(job.folder + "crm.bak", "crm");
}

// A service asked to stop lets the statement under way end and sends no
// more; what the earlier slot of the hour wrote stays in the backup folder.
TEST_F(BackupRunRoad, aStopEndsTheRunBeforeTheNextDatabaseAndKeepsTheEarlierSet)
{
    shell.trashKeeps = false;
    job.mode = BackupMode::TimeSlot;
    job.databases = {"sales", "crm"};
    const std::string dated = job.folder + "2026年12月06日03时";
    fs::create_directories(u8path(dated));
    writeBytes(dated + "/crm.bak", "an earlier slot of this hour");
    report.stopAt = "crm";

    EXPECT_FALSE(run(BackupRun::OnFailure::GoOn));

    EXPECT_EQ(backups().size(), 1u);
    EXPECT_EQ(report.events, std::vector<std::string>{"written sales " + dated + "/sales.bak"});
    EXPECT_TRUE(shell.trashed().empty());
    std::vector<std::string> kept;
    for (const auto& entry : fs::recursive_directory_iterator(u8path(job.folder))) {
        if (entry.is_regular_file() && readBytes(entry.path()) == "an earlier slot of this hour")
            kept.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(kept, std::vector<std::string>{"crm.bak"}) << "set aside beside the new folder, not lost";
}

TEST_F(BackupRunRoad, anEntryHoldingANulSendsNothing)
{
    job.databases = {"sales", std::string("cr\0m", 4)};

    EXPECT_FALSE(run(BackupRun::OnFailure::GoOn));

    EXPECT_EQ(report.events, std::vector<std::string>{"refused 1 cr"});
    EXPECT_TRUE(backups().empty());
    EXPECT_FALSE(fs::exists(u8path(job.folder))) << "not even the folder is made";
}

} // namespace
