// Where the program finds itself, and so its settings file: the folder and
// the name of the running executable, whatever characters and length.

#include "wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "fakes/file_bytes.h"
#include "fakes/temp_folder.h"
#include "platform/win32/win32_executable_info.h"

namespace ondrel::win32test {
namespace {

struct ModulePath {
    const char* name;
    std::wstring path;
    std::string folder;
    std::string baseName;
};

void PrintTo(const ModulePath& c, std::ostream* os)
{
    *os << c.name;
}

class ExecutableInfo : public ::testing::TestWithParam<ModulePath> {};

// A drive's root keeps its "\" (the settings path then gets no second one);
// only the last extension goes.
TEST_P(ExecutableInfo, splitsThePathIntoFolderAndName)
{
    const Win32ExecutableInfo info(GetParam().path);
    EXPECT_EQ(info.folder(), GetParam().folder);
    EXPECT_EQ(info.baseName(), GetParam().baseName);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecutableInfo,
    ::testing::Values(ModulePath{"Folder", L"D:\\tools\\dbbak.exe", "D:\\tools", "dbbak"},
                      ModulePath{"DriveRoot", L"C:\\ondrel.exe", "C:\\", "ondrel"},
                      ModulePath{"LongPathForm", L"\\\\?\\C:\\ondrel.exe", "\\\\?\\C:\\", "ondrel"},
                      ModulePath{"Share", L"\\\\server\\share\\ondrel.exe", "\\\\server\\share", "ondrel"},
                      ModulePath{"ChineseAndDots", L"E:\\数据\\备份 工具.v2.exe", "E:\\数据", "备份 工具.v2"}),
    [](const auto& test) { return std::string(test.param.name); });

// Runs a copy of the probe program from the folder and returns what it
// found: its folder and its name, one a line.
std::string probeFrom(const std::filesystem::path& folder, const std::wstring& name)
{
    const std::wstring probe = Win32ExecutableInfo::modulePath();
    const std::wstring source = std::filesystem::path(probe).replace_filename(L"executable_probe.exe").wstring();
    const std::wstring copy = (folder / name).wstring();
    if (!CopyFileW(source.c_str(), copy.c_str(), FALSE))
        return "cannot copy the probe: " + std::to_string(GetLastError());
    const std::filesystem::path answer = folder / L"answer.txt";
    std::wstring commandLine = L"\"" + copy + L"\" \"" + answer.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return "cannot start the probe: " + std::to_string(GetLastError());
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return readBytes(answer);
}

// Windows starts no program from a path past MAX_PATH (260 characters, the
// name included), and neither does Wine: the folder comes close to it.
TEST(RunningExecutable, isFoundInAChineseFolderNearMaxPath)
{
    TempFolder temp;
    std::filesystem::path folder = temp.path() / u8path("数据库备份");
    while (folder.native().size() < MAX_PATH - 40)
        folder /= u8path("文件夹 folder");
    std::filesystem::create_directories(folder);
    const std::string answer = probeFrom(folder, L"备份工具 v2.exe");
    EXPECT_EQ(answer, utf8Of(folder) + "\n备份工具 v2\n");
}

} // namespace
} // namespace ondrel::win32test
