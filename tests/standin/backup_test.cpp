#include "standin_inspection.h"
#include "standin_test_support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

StandinOptions databases(std::vector<std::string> extra = {}) {
    StandinOptions o;
    o.databases = {"Sales", "销售:1MB"};
    o.extraArgs = std::move(extra);
    return o;
}

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> texts(const OdbcResult& r) {
    std::vector<std::string> out;
    for (const OdbcMessage& m : r.messages) out.push_back(m.text.substr(std::string("[FreeTDS][SQL Server]").size()));
    return out;
}

TEST(StandinBackup, WritesARealBackupSetAndReportsLikeTheServer) {
    StandinServer server(databases());
    auto session = connectTo(server);
    const fs::path file = server.backupDir() / "sales.bak";
    const OdbcResult r = session->execute("BACKUP DATABASE [Sales] TO DISK = N'" + file.string() + "'");
    ASSERT_EQ(r.rc, SQL_SUCCESS_WITH_INFO) << r.describe();
    ASSERT_EQ(r.natives(), (std::vector<int>{4035, 4035, 3014}));
    const auto t = texts(r);
    EXPECT_EQ(t[0], "Processed 512 pages for database 'Sales', file 'Sales' on file 1.");
    EXPECT_EQ(t[1], "Processed 4 pages for database 'Sales', file 'Sales_log' on file 1.");
    EXPECT_TRUE(std::regex_match(t[2], std::regex(R"(BACKUP DATABASE successfully processed 516 pages in \d+\.\d{3} seconds \(\d+\.\d{3} MB/sec\)\.)")))
        << t[2];

    const StandinInspection inspection = inspectBackup(file);
    EXPECT_EQ(inspection.exitCode, 0);
    ASSERT_EQ(inspection.sets.size(), 1u);
    EXPECT_EQ(inspection.sets[0].database, "Sales");
    EXPECT_EQ(inspection.sets[0].size, 516u * 8192);
    EXPECT_TRUE(inspection.sets[0].checksumOk);
    const auto log = server.log();
    EXPECT_LE(log.back().time, inspection.sets[0].time);
}

TEST(StandinBackup, AnExistingFileGetsTheNewSetAppended) {
    StandinServer server(databases());
    auto session = connectTo(server);
    const std::string sql = "backup database Sales to disk = 'twice.bak'";
    ASSERT_TRUE(session->execute(sql).ok());
    const OdbcResult second = session->execute(sql);
    ASSERT_TRUE(second.ok()) << second.describe();
    EXPECT_EQ(texts(second)[0], "Processed 512 pages for database 'Sales', file 'Sales' on file 2.");
    StandinInspection inspection = inspectBackup(server.backupDir() / "twice.bak");
    EXPECT_EQ(inspection.exitCode, 0);
    EXPECT_EQ(inspection.sets.size(), 2u);

    ASSERT_TRUE(session->execute(sql + " with init").ok());
    inspection = inspectBackup(server.backupDir() / "twice.bak");
    EXPECT_EQ(inspection.sets.size(), 1u);
}

TEST(StandinBackup, RelativePathsResolveAgainstTheBackupFolder) {
    StandinServer server(databases());
    fs::create_directory(server.backupDir() / "nightly");
    auto session = connectTo(server);
    ASSERT_TRUE(session->execute("backup database [销售] to disk = N'nightly/销售.bak'").ok());
    EXPECT_EQ(filesIn(server.backupDir()), (std::vector<std::string>{"nightly", "nightly/销售.bak"}));
    const StandinInspection inspection = inspectBackup(server.backupDir() / "nightly" / "销售.bak");
    ASSERT_EQ(inspection.sets.size(), 1u);
    EXPECT_EQ(inspection.sets[0].database, "销售");
}

TEST(StandinBackup, ChineseNamesTravelAsBoundParameters) {
    StandinServer server(databases());
    fs::create_directory(server.backupDir() / "备份");
    auto session = connectTo(server);
    const fs::path file = server.backupDir() / "备份" / "销售 完整.bak";
    const OdbcResult r = session->execute("backup database ? to disk = ?", {"销售", file.string()});
    ASSERT_TRUE(r.ok()) << r.describe();
    EXPECT_EQ(inspectBackup(file).sets.at(0).database, "销售");
    EXPECT_EQ(server.log().back().params, (std::vector<std::string>{"销售", file.string()}));
}

struct Refusal {
    const char* name;
    std::string database;
    std::string path;   // relative to the backup folder
    std::vector<int> numbers;
    std::string first;  // PATH stands for the resolved path
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.database << " to " << r.path; }

class BackupRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(BackupRefusals, ReportTheServersErrorsAndLeaveNothingBehind) {
    StandinServer server(databases());
    std::ofstream(server.backupDir() / "notes.txt") << "not a backup";
    fs::create_directory(server.backupDir() / "folder");
    const auto before = filesIn(server.backupDir());
    auto session = connectTo(server);
    const OdbcResult r =
        session->execute("backup database " + GetParam().database + " to disk = N'" + GetParam().path + "'");
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_EQ(r.natives(), GetParam().numbers) << r.describe();
    const std::string resolved = (server.backupDir() / GetParam().path).string();
    EXPECT_EQ(texts(r).at(0), std::regex_replace(GetParam().first, std::regex("PATH"), resolved));
    EXPECT_EQ(texts(r).back(), "BACKUP DATABASE is terminating abnormally.");
    EXPECT_EQ(filesIn(server.backupDir()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Standin, BackupRefusals,
    ::testing::Values(
        Refusal{"UnknownDatabase", "[Nowhere]", "x.bak", {911, 3013},
                "Database 'Nowhere' does not exist. Make sure that the name is entered correctly."},
        Refusal{"MissingFolder", "Sales", "missing/x.bak", {3201, 3013},
                "Cannot open backup device 'PATH'. Operating system error 3(The system cannot find the path specified.)."},
        Refusal{"FileInThePath", "Sales", "notes.txt/x.bak", {3201, 3013},
                "Cannot open backup device 'PATH'. Operating system error 3(The system cannot find the path specified.)."},
        Refusal{"FolderAsFile", "Sales", "folder", {3201, 3013},
                "Cannot open backup device 'PATH'. Operating system error 5(Access is denied.)."},
        Refusal{"ForbiddenCharacter", "Sales", "what?.bak", {3201, 3013},
                "Cannot open backup device 'PATH'. Operating system error 123(The filename, directory name, or volume "
                "label syntax is incorrect.)."},
        Refusal{"NotABackupFile", "Sales", "notes.txt", {3241, 3013},
                "The media family on device 'PATH' is incorrectly formed. SQL Server cannot process this media family."},
        Refusal{"Tempdb", "tempdb", "t.bak", {3147, 3013},
                "Backup and restore operations are not allowed on database tempdb."}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StandinBackup, AnNLessLiteralTurnsChineseIntoQuestionMarks) {
    StandinServer server(databases());
    auto session = connectTo(server);
    const OdbcResult r = session->execute("backup database [销售] to disk = '销售.bak'");
    EXPECT_EQ(r.natives(), (std::vector<int>{3201, 3013}));
    EXPECT_TRUE(contains(texts(r).at(0), "/??.bak'. Operating system error 123")) << r.describe();
}

TEST(StandinBackup, AFullDiskFailsTheBackupWith3202) {
    StandinServer server(databases({"--disk-full"}));
    auto session = connectTo(server);
    const OdbcResult r = session->execute("backup database Sales to disk = 'full.bak'");
    EXPECT_EQ(r.natives(), (std::vector<int>{3202, 3013}));
    EXPECT_EQ(texts(r).at(0), "Write on \"" + (server.backupDir() / "full.bak").string() +
                                  "\" failed: 112(There is not enough space on the disk.)");
    EXPECT_TRUE(filesIn(server.backupDir()).empty());
}

TEST(StandinBackup, LimitedDiskSpaceRunsOutPartWay) {
    StandinServer server(databases({"--disk-space", "6MB"}));
    auto session = connectTo(server);
    EXPECT_TRUE(session->execute("backup database Sales to disk = 'first.bak'").ok());
    EXPECT_EQ(session->execute("backup database Sales to disk = 'second.bak'").natives(), (std::vector<int>{3202, 3013}));
    EXPECT_TRUE(session->execute("backup database [销售] to disk = 'small.bak'").ok());
    EXPECT_EQ(filesIn(server.backupDir()), (std::vector<std::string>{"first.bak", "small.bak"}));
}

TEST(StandinBackup, AQueryTimeoutSendsAttentionWhichAbandonsTheBackup) {
    StandinServer server(databases({"--slow-backup", "4000"}));
    auto session = connectTo(server);
    const OdbcResult r = session->execute("backup database Sales to disk = 'slow.bak'", {}, 1);
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_TRUE(r.hasState("HYT00")) << r.describe();
    EXPECT_TRUE(filesIn(server.backupDir()).empty());
    EXPECT_EQ(server.log().back().kind, "attention");
    // The connection is still in step after the cancel.
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
}

// One slow database among quick ones, for a client's stop in the middle of a run.
TEST(StandinBackup, ASlowBackupOfOneDatabaseLeavesTheOthersQuick) {
    StandinServer server(databases({"--slow-backup-of", "sales=4000"}));
    auto session = connectTo(server);
    // A query timeout of one second abandons only the slow one.
    EXPECT_TRUE(session->execute("backup database [销售] to disk = 'quick.bak'", {}, 1).ok());
    EXPECT_TRUE(session->execute("backup database Sales to disk = 'slow.bak'", {}, 1).hasState("HYT00"));
    EXPECT_EQ(filesIn(server.backupDir()), std::vector<std::string>{"quick.bak"});
}

TEST(StandinBackup, SqlCancelAbandonsTheBackup) {
    StandinServer server(databases({"--slow-backup", "4000"}));
    auto session = connectTo(server);
    const OdbcResult r = session->executeAndCancel("backup database Sales to disk = 'cancel.bak'", std::chrono::milliseconds(500));
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_TRUE(r.hasState("HY008")) << r.describe();
    EXPECT_TRUE(filesIn(server.backupDir()).empty());
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
}

// A client must read every result of a BACKUP: closing the statement after
// the first one cancels a backup still finishing, as on a real server.
TEST(StandinBackup, AClientThatStopsReadingEarlyAbandonsTheBackup) {
    StandinServer server(databases({"--slow-backup", "2000"}));
    auto session = connectTo(server);
    const OdbcResult early = session->executeFirstResultOnly("backup database Sales to disk = 'early.bak'");
    EXPECT_EQ(early.natives(), (std::vector<int>{4035}));
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
    EXPECT_TRUE(filesIn(server.backupDir()).empty());

    const OdbcResult drained = session->execute("backup database Sales to disk = 'drained.bak'");
    EXPECT_EQ(drained.natives(), (std::vector<int>{4035, 4035, 3014}));
    EXPECT_EQ(filesIn(server.backupDir()), (std::vector<std::string>{"drained.bak"}));
}

TEST(StandinBackup, ADroppedConnectionMidBackupLeavesNoFile) {
    StandinServer server(databases({"--drop-connection-on", "BACKUP DATABASE"}));
    auto session = connectTo(server);
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
    const OdbcResult r = session->execute("backup database Sales to disk = 'dropped.bak'");
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_EQ(r.natives(), std::vector<int>{20017}) << r.describe();   // "Unexpected EOF from the server"
    EXPECT_TRUE(filesIn(server.backupDir()).empty());
    EXPECT_EQ(session->execute("select 1").rc, SQL_ERROR);
}

TEST(StandinBackup, ASecondBackupToAFileInUseIsRefused) {
    StandinServer server(databases({"--slow-backup", "1500"}));
    std::atomic<bool> firstOk{false};
    std::thread first([&] {
        auto session = connectTo(server);
        firstOk = session->execute("backup database Sales to disk = 'shared.bak'").ok();
    });
    // Wait until the first backup has arrived before starting the second.
    for (int i = 0; i < 500 && server.statements().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    auto session = connectTo(server);
    const OdbcResult second = session->execute("backup database Sales to disk = 'shared.bak'");
    first.join();
    EXPECT_TRUE(firstOk);
    EXPECT_EQ(second.natives(), (std::vector<int>{3201, 3013}));
    EXPECT_TRUE(contains(texts(second).at(0), "Operating system error 32(")) << second.describe();
    EXPECT_EQ(inspectBackup(server.backupDir() / "shared.bak").sets.size(), 1u);
}

TEST(StandinBackup, InspectRejectsFilesThatAreNotBackups) {
    StandinServer server(databases());
    std::ofstream(server.backupDir() / "text.bak") << "hello";
    const StandinInspection inspection = inspectBackup(server.backupDir() / "text.bak");
    EXPECT_NE(inspection.exitCode, 0);
    EXPECT_TRUE(inspection.sets.empty());
    EXPECT_NE(inspectBackup(server.backupDir() / "absent.bak").exitCode, 0);
}

}  // namespace
