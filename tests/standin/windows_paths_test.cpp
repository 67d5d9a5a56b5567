#include "run_program.h"
#include "standin_inspection.h"
#include "standin_test_support.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <unistd.h>

// Backup paths as a Windows program sends them (Ondrel upper-cases its
// folder), served from host folders through --drive.

namespace fs = std::filesystem;

namespace {

using ondrel::test::runProgram;

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) names.push_back(fs::relative(e.path(), dir).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

// Two drives: Z: holds the folders Backups/Nightly and 备份; Y: is empty.
class Drives final {
public:
    Drives() : root_(fs::temp_directory_path() / ("standin-drives-" + std::to_string(::getpid()))) {
        fs::remove_all(root_);
        fs::create_directories(z() / "Backups" / "Nightly");
        fs::create_directories(z() / "备份");
        fs::create_directories(y());
    }
    ~Drives() { fs::remove_all(root_); }
    Drives(const Drives&) = delete;
    Drives& operator=(const Drives&) = delete;

    fs::path z() const { return root_ / "z"; }
    fs::path y() const { return root_ / "y"; }
    std::vector<std::string> switches() const { return {"--drive", "Z:=" + z().string(), "--drive", "y:=" + y().string()}; }

private:
    fs::path root_;
};

StandinOptions withDrives(const Drives& drives, std::vector<std::string> extra = {}) {
    StandinOptions o;
    o.databases = {"Sales"};
    o.extraArgs = drives.switches();
    o.extraArgs.insert(o.extraArgs.end(), extra.begin(), extra.end());
    return o;
}

struct MappedPath {
    const char* name;
    std::string path;      // as sent
    std::string drive;     // "z" or "y"
    std::string written;   // relative to the drive's folder
};

void PrintTo(const MappedPath& m, std::ostream* os) { *os << m.path; }

class MappedPaths : public ::testing::TestWithParam<MappedPath> {};

TEST_P(MappedPaths, LandInTheDrivesFolderMatchingFoldersWithoutRegardToCase) {
    Drives drives;
    StandinServer server(withDrives(drives));
    auto session = connectTo(server);
    const std::string sql = "backup database [Sales] to disk=N'" + GetParam().path + "'";
    const OdbcResult r = session->execute(sql);
    ASSERT_TRUE(r.ok()) << r.describe();

    const fs::path drive = GetParam().drive == "z" ? drives.z() : drives.y();
    const fs::path file = drive / GetParam().written;
    const StandinInspection inspection = inspectBackup(file);
    ASSERT_EQ(inspection.exitCode, 0) << file;
    EXPECT_EQ(inspection.sets.at(0).database, "Sales");
    EXPECT_EQ(filesIn(drive), std::vector<std::string>{GetParam().written});
    EXPECT_EQ(server.statements().back(), sql);   // the log keeps what was sent
}

INSTANTIATE_TEST_SUITE_P(
    Standin, MappedPaths,
    ::testing::Values(
        MappedPath{"UpperCased", R"(Z:\BACKUPS\NIGHTLY\SALES.BAK)", "z", "Backups/Nightly/SALES.BAK"},
        MappedPath{"ForwardSlashes", "z:/backups/nightly/sales.bak", "z", "Backups/Nightly/sales.bak"},
        MappedPath{"MixedSeparators", R"(Z:/Backups\Nightly/x.bak)", "z", "Backups/Nightly/x.bak"},
        MappedPath{"DotsTakenApart", R"(Z:\backups\.\nightly\..\NIGHTLY\\d.bak)", "z", "Backups/Nightly/d.bak"},
        MappedPath{"DotDotStopsAtTheRoot", R"(Z:\..\..\top.bak)", "z", "top.bak"},
        MappedPath{"Chinese", R"(Z:\备份\销售 完整.bak)", "z", "备份/销售 完整.bak"},
        MappedPath{"AnotherDrive", R"(Y:\y.bak)", "y", "y.bak"},
        MappedPath{"DriveRelative", "y:rel.bak", "y", "rel.bak"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StandinWindowsPaths, AnExistingFileIsFoundWithoutRegardToCase) {
    Drives drives;
    StandinServer server(withDrives(drives));
    auto session = connectTo(server);
    ASSERT_TRUE(session->execute(R"(backup database Sales to disk=N'Z:\Backups\Nightly\Old.bak')").ok());
    const OdbcResult r = session->execute(R"(backup database Sales to disk=N'Z:\BACKUPS\NIGHTLY\OLD.BAK')");
    ASSERT_TRUE(r.ok()) << r.describe();
    EXPECT_EQ(inspectBackup(drives.z() / "Backups" / "Nightly" / "Old.bak").sets.size(), 2u);
    EXPECT_EQ(filesIn(drives.z()), std::vector<std::string>{"Backups/Nightly/Old.bak"});
}

TEST(StandinWindowsPaths, RootedPathsWithoutALetterAreOnDriveC) {
    Drives drives;
    StandinServer server(withDrives(drives, {"--drive", "C:=" + drives.y().string()}));
    auto session = connectTo(server);
    ASSERT_TRUE(session->execute(R"(backup database Sales to disk=N'\rooted.bak')").ok());
    EXPECT_EQ(filesIn(drives.y()), std::vector<std::string>{"rooted.bak"});
}

struct UnopenablePath {
    const char* name;
    bool drives;          // whether the stand-in runs with --drive switches
    std::string path;
    int osError;
};

void PrintTo(const UnopenablePath& u, std::ostream* os) { *os << u.path; }

class UnopenablePaths : public ::testing::TestWithParam<UnopenablePath> {};

TEST_P(UnopenablePaths, FailAsADeviceTheServerCannotOpen) {
    Drives drives;
    StandinOptions options = withDrives(drives);
    if (!GetParam().drives) options.extraArgs.clear();
    StandinServer server(options);
    auto session = connectTo(server);
    const std::string sql = "backup database Sales to disk=N'" + GetParam().path + "'";
    const OdbcResult r = session->execute(sql);
    EXPECT_EQ(r.rc, SQL_ERROR);
    ASSERT_EQ(r.natives(), (std::vector<int>{3201, 3013})) << r.describe();
    const std::map<int, std::string> reasons{{3, "3(The system cannot find the path specified.)"},
                                             {53, "53(The network path was not found.)"},
                                             {123, "123(The filename, directory name, or volume label syntax is incorrect.)"}};
    EXPECT_EQ(r.messages.at(0).text, "[FreeTDS][SQL Server]Cannot open backup device '" + GetParam().path +
                                         "'. Operating system error " + reasons.at(GetParam().osError) + ".");
    EXPECT_TRUE(filesIn(drives.z()).empty());
    EXPECT_TRUE(filesIn(drives.y()).empty());
    EXPECT_TRUE(filesIn(server.backupDir()).empty());
    EXPECT_EQ(server.statements().back(), sql);
}

INSTANTIATE_TEST_SUITE_P(
    Standin, UnopenablePaths,
    ::testing::Values(UnopenablePath{"UnmappedDrive", true, R"(Q:\x.bak)", 3},
                      UnopenablePath{"NoDriveC", true, R"(\x.bak)", 3},
                      UnopenablePath{"MissingFolderOnAMappedDrive", true, R"(Z:\NOWHERE\x.bak)", 3},
                      UnopenablePath{"Unc", true, R"(\\host\share\x.bak)", 53},
                      UnopenablePath{"UncWithSlashes", true, "//host/share/x.bak", 53},
                      UnopenablePath{"ColonAfterTheDrive", true, R"(Z:\Backups\a:b.bak)", 123},
                      UnopenablePath{"DriveWithoutDriveSwitches", false, R"(C:\x.bak)", 3},
                      UnopenablePath{"UncWithoutDriveSwitches", false, R"(\\host\share\x.bak)", 53}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StandinWindowsPaths, RefusesMalformedDriveSwitches) {
    Drives drives;
    const std::string folder = drives.z().string();
    const std::vector<std::vector<std::string>> cases{
        {"--drive", "Z"}, {"--drive", "Z:" + folder}, {"--drive", "1:=" + folder}, {"--drive", "Z:="},
        {"--drive", "Z:=" + folder + "/absent"}, {"--drive", "Z:=" + folder, "--drive", "z:=" + folder}};
    for (const auto& c : cases) {
        std::vector<std::string> argv{ONDREL_STANDIN_PATH, "--port", "0", "--login", "sa:x"};
        argv.insert(argv.end(), c.begin(), c.end());
        const auto run = runProgram(argv);
        EXPECT_EQ(run.exitCode, 2) << c.back();
        EXPECT_TRUE(contains(run.err, "--drive")) << run.err;
    }
}

}  // namespace
