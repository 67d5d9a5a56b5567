// The file-system services of the backup runs on Windows: what counts as an
// old backup, the folders made for a run, and moving old backups aside.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/file_bytes.h"
#include "fakes/temp_folder.h"
#include "platform/win32/win32_shell.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;

class Win32ShellTest : public ::testing::Test {
protected:
    // A path below the test's folder as the program holds it: UTF-8, "\".
    std::string at(const std::string& relative) const { return temp.text() + "\\" + relative; }
    fs::path real(const std::string& relative) const { return u8path(at(relative)); }

    TempFolder temp;
    Win32Shell shell;
};

struct FileAttributes {
    const char* name;
    DWORD attributes;
};

void PrintTo(const FileAttributes& c, std::ostream* os)
{
    *os << c.name;
}

class OldBackup : public Win32ShellTest, public ::testing::WithParamInterface<FileAttributes> {};

// An old backup is there whatever its attributes: it must go before the
// server writes the new one.
TEST_P(OldBackup, isThereWhateverItsAttributes)
{
    writeBytes(at("销售.bak"), "old");
    ASSERT_TRUE(SetFileAttributesW(real("销售.bak").c_str(), GetParam().attributes));
    EXPECT_TRUE(shell.fileExists(at("销售.bak")));
    fs::create_directories(real("日期"));
    writeBytes(at("日期\\x.bak"), "old");
    SetFileAttributesW(real("日期\\x.bak").c_str(), GetParam().attributes);
    EXPECT_TRUE(shell.folderHoldsFile(at("日期")));
    EXPECT_TRUE(shell.folderHoldsFile(at("日期\\")));
    EXPECT_TRUE(shell.removeAll(at("日期"))) << "read-only files too are the program's to remove";
    EXPECT_FALSE(fs::exists(real("日期")));
    SetFileAttributesW(real("销售.bak").c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Windows, OldBackup,
                         ::testing::Values(FileAttributes{"Normal", FILE_ATTRIBUTE_NORMAL},
                                           FileAttributes{"ReadOnly", FILE_ATTRIBUTE_READONLY},
                                           FileAttributes{"Hidden", FILE_ATTRIBUTE_HIDDEN},
                                           FileAttributes{"System", FILE_ATTRIBUTE_SYSTEM}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(Win32ShellTest, foldersAndNothingAreNoFiles)
{
    fs::create_directories(real("a\\b"));
    EXPECT_FALSE(shell.fileExists(at("a")));
    EXPECT_FALSE(shell.fileExists(at("missing.bak")));
    EXPECT_FALSE(shell.fileExists(""));
    EXPECT_FALSE(shell.folderHoldsFile(at("a"))) << "a folder holding only folders";
    EXPECT_FALSE(shell.folderHoldsFile(at("missing")));
}

struct MadeFolders {
    const char* name;
    std::string path;                 // below the test's folder
    std::vector<std::string> folders; // that exist afterwards
    std::vector<std::string> notMade;
};

void PrintTo(const MadeFolders& c, std::ostream* os)
{
    *os << c.name;
}

class MakeSureDirectoryPathExists : public Win32ShellTest, public ::testing::WithParamInterface<MadeFolders> {};

// Every folder up to the last separator is made; what follows it is a file
// name and is left alone.
TEST_P(MakeSureDirectoryPathExists, makesTheFoldersBeforeTheLastSeparator)
{
    shell.makeSureDirectoryPathExists(at(GetParam().path));
    for (const std::string& folder : GetParam().folders)
        EXPECT_TRUE(fs::is_directory(real(folder))) << folder;
    for (const std::string& item : GetParam().notMade)
        EXPECT_FALSE(fs::exists(real(item))) << item;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, MakeSureDirectoryPathExists,
    ::testing::Values(
        MadeFolders{"TrailingSeparator", "BAK\\2026年12月06日03时\\", {"BAK", "BAK\\2026年12月06日03时"}, {}},
        MadeFolders{"LastComponentIsAFile", "BAK\\sales.bak", {"BAK"}, {"BAK\\sales.bak"}},
        MadeFolders{"ForwardSlashes", "x/y/z/", {"x", "x\\y", "x\\y\\z"}, {}},
        MadeFolders{"DoubledSeparators", "p\\\\q\\", {"p", "p\\q"}, {}},
        MadeFolders{"NoSeparatorAfterTheFolder", "D", {}, {"D"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Win32ShellTest, foldersPastTheClassicPathLimitAreMade)
{
    std::string path;
    while (path.size() < 400)
        path += "很长的备份文件夹 long backup folder\\";
    shell.makeSureDirectoryPathExists(at(path));
    EXPECT_TRUE(fs::is_directory(real(path)));
    writeBytes(at(path + "sales.bak"), "x");
    EXPECT_TRUE(shell.fileExists(at(path + "sales.bak")));
    EXPECT_TRUE(shell.removeAll(at(path.substr(0, path.find('\\')))));
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST_F(Win32ShellTest, aDriveRootOrNothingMakesNothing)
{
    shell.makeSureDirectoryPathExists("C:\\");
    shell.makeSureDirectoryPathExists("");
    shell.makeSureDirectoryPathExists("not utf-8 \xFF\\");
    EXPECT_TRUE(fs::is_directory(u8path("C:\\")));
}

TEST_F(Win32ShellTest, anOldBackupMovedAsideKeepsItsBytes)
{
    writeBytes(at("sales.bak"), "old");
    EXPECT_TRUE(shell.rename(at("sales.bak"), at("sales.bak.20261206-030000.old")));
    EXPECT_EQ(readBytes(at("sales.bak.20261206-030000.old")), "old");
    writeBytes(at("sales.bak"), "new");
    EXPECT_FALSE(shell.rename(at("sales.bak"), at("sales.bak.20261206-030000.old")))
        << "a name in use is never overwritten";
    EXPECT_EQ(readBytes(at("sales.bak.20261206-030000.old")), "old");
}

// A recycle bin that cannot take an item (here one held open without
// sharing its deletion) says so and leaves it where it is: the run then
// takes the old backup from its holding folder instead.
TEST_F(Win32ShellTest, aRecycleBinThatCannotTakeAnItemSaysSo)
{
    writeBytes(at("held.bak"), "old");
    const HANDLE held =
        ::CreateFileW(real("held.bak").wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const bool taken = shell.moveToTrash(at("held.bak"), temp.text());
    ::CloseHandle(held);
    EXPECT_FALSE(taken);
    EXPECT_EQ(readBytes(at("held.bak")), "old");
    EXPECT_TRUE(shell.moveToTrash(at("held.bak"), temp.text())) << "once nothing holds it";
    EXPECT_FALSE(shell.exists(at("held.bak")));
}

} // namespace
} // namespace ondrel::win32test
