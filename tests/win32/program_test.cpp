// ondrel.exe itself, started as an operator starts it and driven from
// outside through Win32 calls: its window and settings file, its boxes, a
// slot run against the stand-in while a box waits, and its ways out.

#include "box_watch.h"
#include "desktop.h"
#include "running_program.h"
#include "standin_road.h"
#include "wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/file_bytes.h"
#include "fakes/temp_folder.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// ondrel.exe, copied into the folder and started there.
RunningProgram startedIn(const fs::path& folder)
{
    return RunningProgram(fs::path(wide(ONDREL_PROGRAM)), folder);
}

// The box of that title the program shows next, read and left open.
SeenBox nextBox(const RunningProgram& program, const std::wstring& title, HWND* open = nullptr)
{
    HWND box = nullptr;
    waitFor([&] { return (box = findBox(title, program.id())) != nullptr; });
    if (open)
        *open = box;
    return box ? readBox(box) : SeenBox{};
}

void closeBox(HWND box)
{
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitFor([box] { return !IsWindow(box) || !IsWindowVisible(box); });
}

// The settings file's lines in GBK, CR LF after each.
std::string settingsFile(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

const std::string kServerHeader = "------\xB7\xFE\xCE\xF1\xC6\xF7\xC5\xE4\xD6\xC3------";
const std::string kListHeader = "------\xD0\xE8\xB1\xB8\xB7\xDD\xC1\xD0\xB1\xED------";
const std::string kListEnd = "\xC7\xEB\xCE\xF0\xD0\xDE\xB8\xC4";
const std::string kFolderHeader = "-------\xB1\xB8\xB7\xDD\xCE\xBB\xD6\xC3-------";
const std::string kSystemHeader = "-------\xCF\xB5\xCD\xB3\xC5\xE4\xD6\xC3-------";

TEST(Program, startsWithTheDesignValuesAndSavesThemBesideItself)
{
    TempFolder temp;
    const RunningProgram program = startedIn(temp.path());
    ASSERT_NE(program.window(), nullptr) << "no window appeared";
    EXPECT_EQ(windowText(program.window()), L"[Ondrel] 更新 http://ondrel.cn");
    EXPECT_EQ(program.controls().size(), 34u);
    EXPECT_NE(program.control(L"Button", L"开始运行"), nullptr);
    EXPECT_NE(program.control(L"Edit", L"127.0.0.1"), nullptr);
    EXPECT_NE(program.control(L"Static", L"升级本程序：ONDREL.CN"), nullptr);

    program.press(L"保存配置");
    HWND box = nullptr;
    const SeenBox saved = nextBox(program, L"提示", &box);
    EXPECT_EQ(saved.text, L"保存成功!");
    EXPECT_EQ(saved.buttons, std::vector<std::wstring>{L"确定"});
    EXPECT_EQ(saved.owner, program.window());
    closeBox(box);
    EXPECT_EQ(readBytes(temp.path() / L"ondrel.ini"),
              settingsFile({kServerHeader, "127.0.0.1", "sa", "", kListHeader, "0", kListEnd, kFolderHeader, " ",
                            kSystemHeader, "True", "False", "0", "12:00:00", "18:00:00", "03:00:00"}));

    // The close box ends the program; nothing is saved on the way out.
    fs::remove(temp.path() / L"ondrel.ini");
    PostMessageW(program.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(program.ended());
    EXPECT_EQ(program.exitCode(), 0u);
    EXPECT_FALSE(fs::exists(temp.path() / L"ondrel.ini"));
}

TEST(Program, aHiddenSettingsFileCountsAsMissing)
{
    TempFolder temp;
    const fs::path ini = temp.path() / L"ondrel.ini";
    writeBytes(ini,
               settingsFile({kServerHeader, "10.1.1.1", "sa", "", kListHeader, "0", kListEnd, kFolderHeader, " ",
                             kSystemHeader, "True", "False", "0", "12:00:00", "18:00:00", "03:00:00"}));
    {
        const RunningProgram program = startedIn(temp.path());
        ASSERT_NE(program.window(), nullptr);
        EXPECT_NE(program.control(L"Edit", L"10.1.1.1"), nullptr) << "a plain file is read";
    }
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const RunningProgram program = startedIn(temp.path());
    ASSERT_NE(program.window(), nullptr);
    EXPECT_NE(program.control(L"Edit", L"127.0.0.1"), nullptr);
    EXPECT_EQ(program.control(L"Edit", L"10.1.1.1"), nullptr);
}

// What another program reads from a combo box of the program's.
LRESULT askCombo(HWND combo, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(combo, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer);
    return static_cast<LRESULT>(answer);
}

std::vector<std::wstring> comboEntries(HWND combo)
{
    std::vector<std::wstring> entries;
    const LRESULT count = askCombo(combo, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        askCombo(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

// The list read from the settings file is in the drop-down from the start,
// and "D" takes the entry shown out of it.
TEST(Program, theDropDownHoldsTheSettingsFilesList)
{
    TempFolder temp;
    writeBytes(temp.path() / L"ondrel.ini",
               settingsFile({kServerHeader, "127.0.0.1", "sa", "", kListHeader, "3", "shopdb",
                             "\xCF\xFA\xCA\xDB\xBF\xE2", "crm", kListEnd, kFolderHeader, " ", kSystemHeader, "True",
                             "False", "0", "12:00:00", "18:00:00", "03:00:00"}));
    const RunningProgram program = startedIn(temp.path());
    ASSERT_NE(program.window(), nullptr);
    const HWND combo = program.control(L"ComboBox", L"shopdb");
    ASSERT_NE(combo, nullptr) << "no combo box showing shopdb";
    EXPECT_EQ(comboEntries(combo), (std::vector<std::wstring>{L"shopdb", L"销售库", L"crm"}));
    EXPECT_EQ(askCombo(combo, CB_GETCURSEL), 0);

    program.press(L"D");
    EXPECT_TRUE(waitFor([&] { return askCombo(combo, CB_GETCOUNT) == 2; }));
    EXPECT_EQ(comboEntries(combo), (std::vector<std::wstring>{L"销售库", L"crm"}));
    EXPECT_EQ(askCombo(combo, CB_GETCURSEL), 0);
    EXPECT_EQ(windowText(combo), L"销售库");
}

TEST(Program, endsWithTheSessionAndOnlyThen)
{
    TempFolder temp;
    const RunningProgram program = startedIn(temp.path());
    ASSERT_NE(program.window(), nullptr);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(program.window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the program never holds the session up";
    SendMessageTimeoutW(program.window(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_FALSE(program.ended(1s)) << "a cancelled logoff ends nothing";
    SendMessageTimeoutW(program.window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_TRUE(program.ended());
}

// "hh:mm:ss" of the local clock, so many seconds from now.
std::string secondsFromNow(int seconds)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME time{};
    SystemTimeToFileTime(&now, &time);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000;
    time.dwLowDateTime = ticks.LowPart;
    time.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME then{};
    FileTimeToSystemTime(&time, &then);
    char text[16];
    snprintf(text, sizeof text, "%02u:%02u:%02u", then.wHour, then.wMinute, then.wSecond);
    return text;
}

// The operator starts the schedule, adds a database the server lacks and
// walks away. The first slot backs up what it can and leaves one box; the
// second slot runs while that box waits, on the real clock, and adds none.
TEST(Program, slotsRunAgainstTheServerWhileAFailureBoxWaits)
{
    const StandinRoad road = StandinRoad::fromEnvironment();
    ASSERT_TRUE(road.up());
    TempFolder temp;
    const std::string folder = utf8(road.backups()) + "\\PROGRAM-" + std::to_string(GetCurrentProcessId()) + "\\";
    const std::string first = secondsFromNow(10);
    const std::string second = secondsFromNow(14);
    writeBytes(temp.path() / L"ondrel.ini",
               settingsFile({kServerHeader, utf8(road.server()), "sa", utf8(road.password()), kListHeader, "1", "Sales",
                             kListEnd, kFolderHeader, folder, kSystemHeader, "True", "False", "0", first, second,
                             "03:00:00"}));
    const RunningProgram program = startedIn(temp.path());
    ASSERT_NE(program.window(), nullptr);
    program.press(L"开始运行");
    HWND box = nullptr;
    EXPECT_EQ(nextBox(program, L"提示", &box).text, L"备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。");
    closeBox(box);
    ASSERT_TRUE(waitFor([&] { return program.control(L"Button", L"停止备份") != nullptr; }));
    const HWND name = program.control(L"Edit", L"");
    ASSERT_NE(name, nullptr) << "the empty field of 数据库";
    SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"nosuch"), SMTO_ABORTIFHUNG, 5000, nullptr);
    program.press(L"Add");

    const std::string backup = "backup database [Sales] to disk=N'" + folder + "Sales.bak'";
    const auto backups = [&] {
        const auto all = road.statements();
        return std::count(all.begin(), all.end(), backup);
    };
    const SeenBox failure = nextBox(program, L"提示", &box);
    EXPECT_EQ(failure.text, L"没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900");
    EXPECT_EQ(backups(), 1);
    EXPECT_TRUE(waitFor([&] { return backups() == 2; }, 15s)) << "no second slot while the box waited";
    // The statement is logged as it arrives; the old backup waits aside until
    // the new one is written, then goes.
    EXPECT_TRUE(waitFor([&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(u8path(folder)))
            names.push_back(utf8Of(entry.path().filename()));
        return names == std::vector<std::string>{"Sales.bak"};
    })) << "the second backup did not replace the first";
    EXPECT_EQ(findBox(L"提示", program.id()), box) << "the second failure opened no box of its own";
    closeBox(box);

    program.press(L"退出");
    EXPECT_TRUE(program.ended());
}

} // namespace
} // namespace ondrel::win32test
