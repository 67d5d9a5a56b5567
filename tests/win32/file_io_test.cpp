// The settings file on Windows: saved whole or not at all, readable by its
// owner only, any path (Chinese, longer than MAX_PATH), and a hidden or
// system file taken for no settings file.

#include "wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/file_bytes.h"
#include "fakes/temp_folder.h"
#include "platform/win32/win32_file_io.h"

namespace ondrel::win32test {
namespace {

std::wstring sidText(PSID sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return {};
    std::wstring result = text;
    LocalFree(text);
    return result;
}

std::wstring currentUser()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    return sidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// Everyone (S-1-1-0) may do anything with the file.
bool letEveryoneIn(const std::filesystem::path& file)
{
    PSECURITY_DESCRIPTOR open = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;FA;;;WD)", SDDL_REVISION_1, &open, nullptr))
        return false;
    const bool set = SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, open) != 0;
    LocalFree(open);
    return set;
}

struct AccessList {
    // Who is let in, by their SIDs.
    std::vector<std::wstring> allowed;
};

AccessList accessListOf(const std::filesystem::path& file)
{
    AccessList list;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor)
        != ERROR_SUCCESS)
        return list;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)))
            continue;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE)
            list.allowed.push_back(sidText(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(header)->SidStart));
    }
    LocalFree(descriptor);
    return list;
}

std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(utf8Of(entry.path().filename()));
    return names;
}

class Win32FileIoTest : public ::testing::Test {
protected:
    std::filesystem::path file(const std::string& name) const { return temp.path() / u8path(name); }

    TempFolder temp;
    Win32FileIo files;
};

TEST_F(Win32FileIoTest, aSaveIsReadableByItsOwnerOnlyAndReplacesTheOldFile)
{
    const auto ini = file("ondrel.ini");
    // An old file anybody could read, as an editor or an older version left it.
    writeBytes(ini, "old");
    ASSERT_TRUE(letEveryoneIn(ini));

    files.writeAtomically(utf8Of(ini), "new\r\n");

    EXPECT_EQ(readBytes(ini), "new\r\n");
    // Only the user is let in. Wine keeps no access lists of its own: it
    // reads them from the Unix mode bits, always names SYSTEM and cannot
    // show that the list is protected from the folder's inherited entries.
    const AccessList list = accessListOf(ini);
    EXPECT_NE(std::find(list.allowed.begin(), list.allowed.end(), currentUser()), list.allowed.end());
    for (const std::wstring& sid : list.allowed)
        EXPECT_TRUE(sid == currentUser() || sid == L"S-1-5-18") << utf8(sid) << " may open the password";
    EXPECT_EQ(namesIn(temp.path()), std::vector<std::string>{"ondrel.ini"}) << "no temporary file is left";
}

TEST_F(Win32FileIoTest, aFailedSaveSaysWhyAndLeavesTheOldFile)
{
    const auto ini = file("ondrel.ini");
    writeBytes(ini, "old");
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        files.writeAtomically(utf8Of(ini), "new");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const FileIo::Error& error) {
        EXPECT_STREQ(error.what(), "没有访问权限");
    }
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readBytes(ini), "old");
    EXPECT_EQ(namesIn(temp.path()), std::vector<std::string>{"ondrel.ini"});

    struct Case {
        std::filesystem::path path;
        const char* reason;
    };
    std::filesystem::create_directory(file("folder.ini"));
    for (const Case& c :
         {Case{file("gone") / "ondrel.ini", "文件夹不存在"}, Case{file("folder.ini"), "同名文件夹已存在"}}) {
        try {
            files.writeAtomically(utf8Of(c.path), "new");
            ADD_FAILURE() << utf8Of(c.path);
        } catch (const FileIo::Error& error) {
            EXPECT_STREQ(error.what(), c.reason);
        }
    }
}

TEST_F(Win32FileIoTest, chineseAndLongPathsAreWrittenAndReadAsNamed)
{
    std::filesystem::path folder = file("数据备份 工具");
    while (folder.native().size() < 300)
        folder /= u8path("很长的文件夹名称 long folder name");
    std::filesystem::create_directories(folder);
    for (const auto& path : {file("配置 文件.ini"), folder / u8path("备份工具.ini")}) {
        const std::string text = utf8Of(path);
        files.writeAtomically(text, "\xD6\xD0\xCE\xC4");
        EXPECT_TRUE(files.isRegularFile(text)) << text;
        EXPECT_EQ(files.readAll(text), "\xD6\xD0\xCE\xC4");
        EXPECT_EQ(readBytes(path), "\xD6\xD0\xCE\xC4");
    }
    try {
        files.readAll(utf8Of(file("missing.ini")));
        ADD_FAILURE() << "a missing file was read";
    } catch (const FileIo::Error& error) {
        EXPECT_STREQ(error.what(), "文件不存在");
    }
}

struct Attributes {
    const char* name;
    DWORD attributes;
    bool isSettingsFile;
};

void PrintTo(const Attributes& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsFileAttributes : public Win32FileIoTest, public ::testing::WithParamInterface<Attributes> {};

// A settings file marked hidden or system counts as missing; the program
// then starts with its initial values.
TEST_P(SettingsFileAttributes, decideWhetherTheFileIsSeen)
{
    const auto ini = file("ondrel.ini");
    writeBytes(ini, "x");
    ASSERT_TRUE(SetFileAttributesW(ini.c_str(), GetParam().attributes));
    EXPECT_EQ(files.isRegularFile(utf8Of(ini)), GetParam().isSettingsFile);
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Windows, SettingsFileAttributes,
                         ::testing::Values(Attributes{"Normal", FILE_ATTRIBUTE_NORMAL, true},
                                           Attributes{"Archive", FILE_ATTRIBUTE_ARCHIVE, true},
                                           Attributes{"ReadOnly", FILE_ATTRIBUTE_READONLY, true},
                                           Attributes{"Hidden", FILE_ATTRIBUTE_HIDDEN, false},
                                           Attributes{"System", FILE_ATTRIBUTE_SYSTEM, false},
                                           Attributes{"HiddenAndReadOnly",
                                                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, false}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(Win32FileIoTest, aFolderOrNothingIsNoSettingsFile)
{
    std::filesystem::create_directory(file("ondrel.ini"));
    EXPECT_FALSE(files.isRegularFile(utf8Of(file("ondrel.ini"))));
    EXPECT_FALSE(files.isRegularFile(utf8Of(file("none.ini"))));
    EXPECT_FALSE(files.isRegularFile("bad\xFF.ini"));
}

} // namespace
} // namespace ondrel::win32test
