// A newcomer's first run of the zip: ondrel.exe started where the zip was
// unzipped (a fresh folder, CTest fixture dist_unzipped), a server, a
// password, a database, a folder and a slot typed into the window, saved,
// started, and then nothing but waiting until the backup is written.

#include "box_watch.h"
#include "desktop.h"
#include "running_program.h"
#include "standin_road.h"
#include "wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/utf8_path.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What the operator types: the field takes the whole text, and the window
// hears of it as of typing (EN_CHANGE).
void type(HWND field, const std::wstring& text)
{
    SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
}

// "hh:mm:ss" of the local clock, so many seconds from now.
std::wstring secondsFromNow(int seconds)
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000;
    FILETIME then{};
    then.dwLowDateTime = ticks.LowPart;
    then.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&then, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    wchar_t text[16];
    swprintf(text, 16, L"%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
    return text;
}

// The next box of that title, read and closed as the operator closes it.
SeenBox answerBox(const RunningProgram& program, const std::wstring& title)
{
    HWND box = nullptr;
    if (!waitFor([&] { return (box = findBox(title, program.id())) != nullptr; }))
        return {};
    const SeenBox seen = readBox(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitFor([box] { return !IsWindow(box) || !IsWindowVisible(box); });
    return seen;
}

TEST(Newcomer, unzipsStartsTypesAJobInAndFindsTheBackup)
{
    const StandinRoad road = StandinRoad::fromEnvironment();
    ASSERT_TRUE(road.up());
    const fs::path folder = fs::path(wide(ONDREL_UNZIPPED)).make_preferred();
    ASSERT_TRUE(fs::exists(folder / L"ondrel.exe")) << "run under CTest, whose fixture dist_unzipped unzips the zip";
    ASSERT_FALSE(fs::exists(folder / L"ondrel.ini")) << "the folder is not fresh";

    const RunningProgram program(folder / L"ondrel.exe");
    ASSERT_NE(program.window(), nullptr) << "no window appeared";
    // The backup folder as the server sees it, with the trailing "\" the
    // folder picker adds.
    const std::wstring backups = road.backups() + L"\\NEWCOMER-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    const HWND server = program.control(L"Edit", L"127.0.0.1");
    const HWND password = program.control(L"Edit", L"", ES_PASSWORD);
    const HWND folderField = program.control(L"Edit", L" ");
    const HWND firstSlot = program.control(L"Edit", L"12:00:00");
    ASSERT_TRUE(server && password && folderField && firstSlot) << "a field of the window is missing";
    type(server, road.server());
    type(password, road.password());
    type(folderField, backups);
    // The database name field is the empty one that is not the password's.
    HWND database = nullptr;
    for (HWND child : program.controls()) {
        if (windowClass(child) == L"Edit" && child != password && windowText(child).empty())
            database = child;
    }
    ASSERT_NE(database, nullptr);
    type(database, L"Sales");
    program.press(L"Add");
    // The slot last, a few seconds ahead: time to save and start.
    const std::wstring slot = secondsFromNow(12);
    type(firstSlot, slot);

    program.press(L"保存配置");
    EXPECT_EQ(answerBox(program, L"提示").text, L"保存成功!");
    EXPECT_TRUE(fs::exists(folder / L"ondrel.ini")) << "the settings are saved beside the program";
    program.press(L"开始运行");
    EXPECT_EQ(answerBox(program, L"提示").text, L"备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。");
    ASSERT_TRUE(waitFor([&] { return program.control(L"Button", L"停止备份") != nullptr; }))
        << "the schedule did not start";

    // Then only waiting: the slot comes on the real clock.
    const std::string statement = "backup database [Sales] to disk=N'" + utf8(backups) + "Sales.bak'";
    EXPECT_TRUE(waitFor(
        [&] {
            const auto all = road.statements();
            return std::find(all.begin(), all.end(), statement) != all.end();
        },
        30s))
        << "no backup statement reached the server by the slot " << utf8(slot);
    EXPECT_TRUE(waitFor([&] { return fs::exists(fs::path(backups) / L"Sales.bak"); }))
        << "no backup file in " << utf8(backups);
    EXPECT_EQ(findBox(L"提示", program.id()), nullptr) << "the run showed a box";

    program.press(L"退出");
    EXPECT_TRUE(program.ended());
}

} // namespace
} // namespace ondrel::win32test
