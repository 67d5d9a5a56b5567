// The Windows side of the benchmark under Wine (bench/wine_bench.sh runs it
// on the road of scripts/wine-road.sh, against the stand-in):
//   wine_bench.exe ONDREL_EXE BASELINE_EXE WORK_FOLDER SLOTS
// Starts a copy of ondrel.exe with a settings file of its own and the
// baseline window side by side, starts Ondrel's schedule from its window,
// puts SLOTS slots a few seconds ahead one after another and prints, from
// the stand-in's log, how long after each slot's second the first backup
// statement arrived. Then both stay idle, Ondrel with its schedule running,
// while the host measures them: WORK_FOLDER\idle.ready says so (with both
// programs' folders), WORK_FOLDER\idle.done ends the run.

#include "json_value.h"
#include "standin_road.h"
#include "box_watch.h"
#include "wide_text.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace ondrel::win32test;

template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit = 20s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Milliseconds since 1970 on the wall clock, the clock the stand-in stamps its log with.
std::int64_t wallMs()
{
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks = (std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000) - 11644473600000LL;
}

// "2026-12-07T07:34:10.874Z" in milliseconds since 1970.
std::int64_t logTimeMs(const std::string& stamp)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (std::sscanf(stamp.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &year, &month, &day, &hour, &minute, &second, &ms) != 7)
        throw std::runtime_error("unreadable log time: " + stamp);
    SYSTEMTIME utc{};
    utc.wYear = static_cast<WORD>(year);
    utc.wMonth = static_cast<WORD>(month);
    utc.wDay = static_cast<WORD>(day);
    utc.wHour = static_cast<WORD>(hour);
    utc.wMinute = static_cast<WORD>(minute);
    utc.wSecond = static_cast<WORD>(second);
    FILETIME time{};
    SystemTimeToFileTime(&utc, &time);
    const std::uint64_t ticks = (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000) - 11644473600000LL + ms;
}

// "hh:mm:ss" of the local clock at that wall-clock second.
std::wstring localTimeOf(std::int64_t second)
{
    const std::uint64_t ticks = static_cast<std::uint64_t>(second * 1000 + 11644473600000LL) * 10000;
    FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&time, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    wchar_t text[16];
    swprintf(text, 16, L"%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
    return text;
}

std::wstring textOf(HWND window)
{
    wchar_t text[512] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

// A program started in its folder, and its first visible top-level window of that class.
struct Started {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

Started start(const fs::path& exe, const wchar_t* windowClass)
{
    Started started;
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        exe.parent_path().c_str(), &startup, &started.process))
        throw std::runtime_error("cannot start " + utf8(exe.wstring()));
    struct Search {
        DWORD process;
        const wchar_t* windowClass;
        HWND found = nullptr;
    } search{started.process.dwProcessId, windowClass};
    waitFor([&] {
        EnumWindows(
            [](HWND window, LPARAM context) {
                auto& s = *reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (owner != s.process || std::wstring(name) != s.windowClass || !IsWindowVisible(window))
                    return TRUE;
                s.found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    if (!search.found)
        throw std::runtime_error(utf8(exe.wstring()) + " showed no window");
    started.window = search.found;
    return started;
}

HWND child(HWND window, const std::wstring& className, const std::wstring& text)
{
    for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(control, name, 64);
        if (name == className && textOf(control) == text)
            return control;
    }
    return nullptr;
}

void setText(HWND field, const std::wstring& text)
{
    SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
}

// The settings file: GBK lines, CR LF after each (Chinese headers as bytes).
void writeSettings(const fs::path& file, const StandinRoad& road, const std::string& folder,
                   const std::vector<std::string>& slots)
{
    const std::vector<std::string> lines = {
        "------\xB7\xFE\xCE\xF1\xC6\xF7\xC5\xE4\xD6\xC3------", utf8(road.server()), "sa", utf8(road.password()),
        "------\xD0\xE8\xB1\xB8\xB7\xDD\xC1\xD0\xB1\xED------", "2", "Sales", "crm", "\xC7\xEB\xCE\xF0\xD0\xDE\xB8\xC4",
        "-------\xB1\xB8\xB7\xDD\xCE\xBB\xD6\xC3-------", folder, "-------\xCF\xB5\xCD\xB3\xC5\xE4\xD6\xC3-------",
        "True", "False", "0", slots[0], slots[1], slots[2]};
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int run(int argc, wchar_t** argv)
{
    if (argc != 5)
        throw std::runtime_error("usage: wine_bench.exe ONDREL_EXE BASELINE_EXE WORK_FOLDER SLOTS");
    const fs::path work = argv[3];
    const int slots = _wtoi(argv[4]);
    const StandinRoad road = StandinRoad::fromEnvironment();
    if (!road.up())
        throw std::runtime_error("no stand-in: run through bench/wine_bench.sh");

    // Each program in a folder of its own, as an operator keeps it.
    fs::create_directories(work / L"ondrel");
    fs::create_directories(work / L"baseline");
    const fs::path ondrelExe = work / L"ondrel" / L"ondrel.exe";
    const fs::path baselineExe = work / L"baseline" / L"bare_window.exe";
    fs::copy_file(argv[1], ondrelExe, fs::copy_options::overwrite_existing);
    fs::copy_file(argv[2], baselineExe, fs::copy_options::overwrite_existing);
    const std::string folder = utf8(road.backups()) + "\\BENCH-" + std::to_string(GetCurrentProcessId()) + "\\";
    // Slots hours away: none is due until the run puts one ahead.
    const std::int64_t now = wallMs() / 1000;
    const std::vector<std::wstring> idleSlots = {localTimeOf(now + 6 * 3600), localTimeOf(now + 7 * 3600),
                                           localTimeOf(now + 8 * 3600)};
    writeSettings(work / L"ondrel" / L"ondrel.ini", road, folder,
                  {utf8(idleSlots[0]), utf8(idleSlots[1]), utf8(idleSlots[2])});

    Started baseline = start(baselineExe, L"OndrelBaseline");
    Started ondrel = start(ondrelExe, L"OndrelForm1");
    std::vector<HWND> slotFields;
    for (const std::wstring& time : idleSlots)
        slotFields.push_back(child(ondrel.window, L"Edit", time));
    if (std::count(slotFields.begin(), slotFields.end(), nullptr))
        throw std::runtime_error("the slot fields were not found");

    // "开始运行", and OK in the box it opens.
    PostMessageW(child(ondrel.window, L"Button", L"开始运行"), BM_CLICK, 0, 0);
    HWND box = nullptr;
    if (!waitFor([&] { return (box = findBox(L"提示", ondrel.process.dwProcessId)) != nullptr; }))
        throw std::runtime_error("no box after 开始运行");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    if (!waitFor([&] { return child(ondrel.window, L"Button", L"停止备份") != nullptr; }))
        throw std::runtime_error("the schedule did not start");

    // One slot after another, two seconds ahead, edited mid-second.
    std::vector<std::int64_t> slotSeconds;
    for (int i = 0; i < slots; ++i) {
        while (wallMs() % 1000 < 500)
            Sleep(10);
        const std::int64_t slot = wallMs() / 1000 + 2;
        for (std::size_t f = 0; f < slotFields.size(); ++f)
            setText(slotFields[f], f == static_cast<std::size_t>(i) % 3 ? localTimeOf(slot) : idleSlots[f]);
        slotSeconds.push_back(slot);
        while (wallMs() < (slot + 2) * 1000)
            Sleep(20);
    }
    for (std::size_t f = 0; f < slotFields.size(); ++f)
        setText(slotFields[f], idleSlots[f]);

    std::vector<std::int64_t> backups;
    {
        std::ifstream log{fs::path(environmentVariable(L"ONDREL_STANDIN_LOG"))};
        for (std::string line; std::getline(log, line);) {
            const auto entry = ondrel::test::JsonValue::parse(line);
            const std::string kind = entry.stringOr("kind");
            if ((kind == "batch" || kind == "rpc") && entry.stringOr("text").rfind("backup", 0) == 0)
                backups.push_back(logTimeMs(entry.stringOr("time")));
        }
    }
    std::vector<double> delays;
    int missed = 0;
    for (const std::int64_t slot : slotSeconds) {
        const auto first = std::find_if(backups.begin(), backups.end(),
                                        [&](std::int64_t at) { return at >= slot * 1000 && at < slot * 1000 + 1000; });
        if (first == backups.end())
            ++missed;
        else
            delays.push_back(static_cast<double>(*first - slot * 1000));
    }
    const bool boxOpen = findBox(L"提示", ondrel.process.dwProcessId) != nullptr;
    std::printf("Slot second to first BACKUP statement at the server, under Wine: %d slots (real clock, 2 databases)\n",
                slots);
    std::printf("  median %.0f ms, best %.0f ms, worst %.0f ms; slots without a statement in their second: %d "
                "(target: within 50 ms)%s\n",
                median(delays), delays.empty() ? 0 : *std::min_element(delays.begin(), delays.end()),
                delays.empty() ? 0 : *std::max_element(delays.begin(), delays.end()), missed,
                boxOpen ? "; a box is open" : "");
    std::fflush(stdout);

    // Idle, side by side, while the host measures.
    {
        std::ofstream ready(work / L"idle.ready");
        ready << utf8(ondrelExe.parent_path().wstring()) << "\n" << utf8(baselineExe.parent_path().wstring()) << "\n";
    }
    const bool measured = waitFor([&] { return fs::exists(work / L"idle.done"); }, 30min);

    PostMessageW(child(ondrel.window, L"Button", L"退出"), BM_CLICK, 0, 0);
    PostMessageW(baseline.window, WM_CLOSE, 0, 0);
    for (Started* program : {&ondrel, &baseline}) {
        if (WaitForSingleObject(program->process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(program->process.hProcess, 99);
        CloseHandle(program->process.hThread);
        CloseHandle(program->process.hProcess);
    }
    if (!measured)
        throw std::runtime_error("the host never measured the idle programs");
    if (boxOpen)
        throw std::runtime_error("a scheduled run showed a box: the backups failed");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wine_bench: %s\n", error.what());
        return 1;
    }
}
