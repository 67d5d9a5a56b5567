// The background service in ondrel.exe under Wine's service manager (the
// road keeps its wineserver, so services.exe stays): installed from the
// program's folder, started, a slot against the stand-in, the window's box
// while it runs the schedule, a saved settings file taking effect, stopped
// and removed. Wine ignores the
// service's account, carries out no failure actions and keeps no event
// log: what the service did is read from the stand-in and from its records.

#include "standin_road.h"
#include "wide_text.h"

#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <filesystem>
#include <string>

#include "desktop.h"
#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"
#include "job/run_records.h"
#include "platform/win32/win32_clock.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Finished {
    DWORD exitCode = STILL_ACTIVE;
    std::string output;
};

// Runs ondrel.exe from that folder with one argument, its output read.
Finished runProgram(const fs::path& exe, const std::wstring& argument)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + exe.wstring() + L"\" " + argument;
    Finished finished;
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, exe.parent_path().c_str(),
                        &startup, &process)) {
        ADD_FAILURE() << "not started: " << GetLastError();
        return finished;
    }
    CloseHandle(writeEnd);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        finished.output.append(buffer, read);
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &finished.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    return finished;
}

DWORD serviceState()
{
    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = manager ? OpenServiceW(manager, L"Ondrel", SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status{};
    const DWORD state = service && QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
    if (service)
        CloseServiceHandle(service);
    if (manager)
        CloseServiceHandle(manager);
    return state;
}

std::string slotIn(int seconds)
{
    return LocalDateTime::fromSerialSecond(Win32Clock().now().serialSecond() + seconds).timeOfDay();
}

// A copy of ondrel.exe in the harness's folder, beside the settings file
// its window saves: the road's server, those databases, a backup folder of
// the test's own and one slot. The service installed from there reads it.
struct ServiceFolder {
    ServiceFolder(FormHarness& h, const StandinRoad& road, const std::string& name,
                  const std::vector<std::string>& databases, const std::string& slot)
        : exe(h.temp.path() / L"ondrel.exe")
        , backups(utf8(road.backups()) + "\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\")
    {
        fs::copy_file(fs::path(wide(ONDREL_PROGRAM)), exe);
        Form1& f = h.form;
        f.Form_Load();
        f.Text1.setText(utf8(road.server()));
        f.Text3.setText(utf8(road.password()));
        for (const std::string& database : databases)
            f.Combo1.addItem(database);
        f.Text5.setText(backups);
        f.Text8.setText(slot);
        f.Command6_Click(); // "保存配置": the file the service reads
    }

    fs::path exe;
    std::string backups;
};

// How often the stand-in received exactly that statement.
std::ptrdiff_t received(const StandinRoad& road, const std::string& statement)
{
    const auto all = road.statements();
    return std::count(all.begin(), all.end(), statement);
}

TEST(WindowsService, startedFromAPromptItSaysHowToInstallInstead)
{
    const Finished finished = runProgram(fs::path(wide(ONDREL_PROGRAM)), L"--service");
    EXPECT_EQ(finished.exitCode, 1u);
    EXPECT_NE(finished.output.find("ondrel.exe --service 由 Windows 服务管理器运行,不能直接启动。"), std::string::npos)
        << finished.output;
    EXPECT_NE(finished.output.find("ondrel.exe --install-service"), std::string::npos);
}

TEST(WindowsService, theEventLogsMessagesAreChineseInTheProgramsMessageTable)
{
    const HMODULE program = LoadLibraryExW(wide(ONDREL_PROGRAM).c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    const struct {
        DWORD event;
        const wchar_t* text;
    } messages[] = {{0xC0000001, L"Ondrel 后台备份服务出错:时间段03:00:00备份失败\r\n"},
                    {0x80000002, L"Ondrel 后台备份服务提醒:时间段03:00:00备份失败\r\n"},
                    {0x40000003, L"Ondrel 后台备份服务:时间段03:00:00备份失败\r\n"}};
    for (const auto& message : messages) {
        DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(L"时间段03:00:00备份失败")};
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, program,
            message.event, 0, reinterpret_cast<LPWSTR>(&text), 0, reinterpret_cast<va_list*>(inserts));
        ASSERT_GT(length, 0u) << std::hex << message.event << " " << GetLastError();
        EXPECT_EQ(std::wstring(text, length), message.text);
        LocalFree(text);
    }
    FreeLibrary(program);
}

TEST(WindowsService, installedItRunsTheWindowsScheduleAndStandsTheWindowOff)
{
    const StandinRoad road = StandinRoad::fromEnvironment();
    ASSERT_TRUE(road.up());
    FormHarness h;
    Form1& f = h.form;
    const std::string slot = slotIn(12);
    const ServiceFolder setup(h, road, "SERVICE", {"Sales"}, slot);
    const fs::path& exe = setup.exe;
    const std::string& folder = setup.backups;

    const Finished installed = runProgram(exe, L"--install-service");
    ASSERT_EQ(installed.exitCode, 0u) << installed.output;
    EXPECT_NE(installed.output.find("后台备份服务 Ondrel 已安装并启动"), std::string::npos) << installed.output;
    EXPECT_TRUE(waitFor([] { return serviceState() == SERVICE_RUNNING; }, 15s));

    // What was registered: automatic start, this program with --service,
    // its own account, a description, a pre-shutdown time.
    {
        const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        const SC_HANDLE service = OpenServiceW(manager, L"Ondrel", SERVICE_QUERY_CONFIG);
        ASSERT_NE(service, nullptr);
        alignas(QUERY_SERVICE_CONFIGW) unsigned char buffer[8192];
        DWORD needed = 0;
        ASSERT_TRUE(
            QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer), sizeof buffer, &needed));
        const auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer);
        EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
        EXPECT_EQ(std::wstring(config->lpBinaryPathName), L"\"" + exe.wstring() + L"\" --service");
        EXPECT_EQ(std::wstring(config->lpServiceStartName), L"NT SERVICE\\Ondrel");
        ASSERT_TRUE(QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, buffer, sizeof buffer, &needed));
        EXPECT_NE(std::wstring(reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer)->lpDescription).find(L"ondrel.ini"),
                  std::wstring::npos);
        ASSERT_TRUE(QueryServiceConfig2W(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, buffer, sizeof buffer, &needed));
        EXPECT_EQ(reinterpret_cast<SERVICE_PRESHUTDOWN_INFO*>(buffer)->dwPreshutdownTimeout, 600000u);
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
    }

    // The window cannot run the same file's schedule meanwhile.
    f.Command1_Click();
    ASSERT_FALSE(h.messages.boxes.empty());
    EXPECT_EQ(h.messages.boxes.back().text,
              "后台备份服务正在运行此配置文件的备份计划,窗口不再开启备份,以免同一时间段备份两次。");
    EXPECT_EQ(f.Command1.caption(), "开始运行");

    // The slot: the window's statement, once.
    const std::string sales = "backup database [Sales] to disk=N'" + folder + "Sales.bak'";
    EXPECT_TRUE(waitFor([&] { return received(road, sales) == 1; }, 25s)) << "no backup at " << slot;
    EXPECT_TRUE(waitFor([&] {
        const auto records = RunRecords::decode(readBytes(h.temp.path() / L"ondrel.runs"));
        return records && records->runOf(slot) && records->runOf(slot)->outcome == RunOutcome::Succeeded;
    })) << readBytes(h.temp.path() / L"ondrel.runs");

    // A save in the window reaches the running service by the next slot.
    const std::string later = slotIn(6);
    f.Text8.setText(later);
    f.Command6_Click();
    EXPECT_TRUE(waitFor([&] { return received(road, sales) == 2; }, 20s)) << "no backup at the saved slot " << later;

    const Finished removed = runProgram(exe, L"--uninstall-service");
    EXPECT_EQ(removed.exitCode, 0u) << removed.output;
    EXPECT_NE(removed.output.find("后台备份服务 Ondrel 已删除"), std::string::npos) << removed.output;
    // Marked for deletion, it goes once the last handle to it is closed.
    EXPECT_TRUE(waitFor([] { return serviceState() == 0; })) << "still there: state " << serviceState();
    EXPECT_FALSE(fs::exists(h.temp.path() / L"ondrel.runs")) << "no record tells the window of a service that is gone";
    EXPECT_TRUE(fs::exists(h.temp.path() / L"ondrel.ini"));

    // Its lock went with it: the window may run the schedule now (its
    // database check here answered by the harness's fake server).
    h.fakeDb.databases = {"Sales"};
    // (the service's process ends just after it says it stopped)
    EXPECT_TRUE(waitFor([&] {
        h.messages.boxes.clear();
        f.Command1_Click();
        return f.Command1.caption() == "停止备份";
    })) << (h.messages.boxes.empty() ? std::string() : h.messages.boxes.back().text);
    f.Command1_Click();
}

// The service manager's stop during a run: the database under way (the
// road's "slow" takes three seconds) is backed up, the next is not sent,
// and the run is recorded as cut short.
TEST(WindowsService, aStopDuringARunLetsTheStatementEndAndSendsNoMore)
{
    const StandinRoad road = StandinRoad::fromEnvironment();
    ASSERT_TRUE(road.up());
    FormHarness h;
    const std::string slot = slotIn(12);
    const ServiceFolder setup(h, road, "STOP", {"slow", "Sales"}, slot);
    const fs::path& exe = setup.exe;

    const Finished installed = runProgram(exe, L"--install-service");
    ASSERT_EQ(installed.exitCode, 0u) << installed.output;
    const std::string slow = "backup database [slow] to disk=N'" + setup.backups + "slow.bak'";
    EXPECT_TRUE(waitFor([&] { return received(road, slow) == 1; }, 25s)) << "no backup at " << slot;

    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = OpenServiceW(manager, L"Ondrel", SERVICE_STOP);
    ASSERT_NE(service, nullptr);
    SERVICE_STATUS status{};
    EXPECT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status)) << GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    EXPECT_TRUE(waitFor([] { return serviceState() == SERVICE_STOPPED; }, 15s)) << "state " << serviceState();
    EXPECT_EQ(received(road, "backup database [Sales] to disk=N'" + setup.backups + "Sales.bak'"), 0)
        << "sent after the stop";
    const auto records = RunRecords::decode(readBytes(h.temp.path() / L"ondrel.runs"));
    ASSERT_TRUE(records && records->runOf(slot)) << readBytes(h.temp.path() / L"ondrel.runs");
    EXPECT_EQ(records->runOf(slot)->outcome, RunOutcome::Stopped);
    EXPECT_EQ(records->runOf(slot)->backedUp, 1u);

    const Finished removed = runProgram(exe, L"--uninstall-service");
    EXPECT_EQ(removed.exitCode, 0u) << removed.output;
    EXPECT_TRUE(waitFor([] { return serviceState() == 0; })) << "still there: state " << serviceState();
}

} // namespace
} // namespace ondrel::win32test
