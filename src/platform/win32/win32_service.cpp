#include "platform/win32/win32_service.h"

#include <aclapi.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/odbc/odbc_data_access.h"
#include "platform/runner_log.h"
#include "platform/win32/owned_handle.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_executable_info.h"
#include "platform/win32/win32_file_check.h"
#include "platform/win32/win32_file_io.h"
#include "platform/win32/win32_schedule_lock.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text_encoding.h"
#include "service/run_record_file.h"
#include "service/runner_host.h"
#include "service/schedule_runner.h"
#include "service/stop_request.h"

namespace Win32Service {

namespace {

using Priority = RunnerLog::Priority;

// Where the service keeps the administrator who installed it.
constexpr const wchar_t* kParameters = L"SYSTEM\\CurrentControlSet\\Services\\Ondrel\\Parameters";
constexpr const wchar_t* kEventSource = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Ondrel";
// Sleep no longer than this between checks of the clock.
constexpr DWORD kLongestSleepMs = 30000;
// How long Windows waits at shutdown for a backup under way.
constexpr DWORD kPreshutdownMs = 10 * 60 * 1000;
// What the service manager is told when the files are unsafe.
constexpr DWORD kUnsafeFiles = 78;

// The program's words for whoever started it: where its output goes (a
// console, a file, a pipe), else the console of the prompt it was started
// from (a program with a window has none of its own), else a box.
void say(const std::string& text)
{
    const std::wstring wide = Wide::fromUtf8(text + "\r\n");
    const std::string bytes = text + "\r\n";
    DWORD written = 0;
    DWORD mode = 0;
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE) {
        if (::GetConsoleMode(out, &mode)) {
            ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            return;
        }
        if (::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            return;
    }
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        const OwnedFile console(
            ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        if (console && ::WriteConsoleW(console.get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr))
            return;
    }
    ::MessageBoxW(nullptr, wide.c_str(), L"Ondrel", MB_OK | MB_ICONINFORMATION);
}

std::string settingsFileOf(const Win32ExecutableInfo& executable)
{
    std::string folder = executable.folder();
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder + "ondrel.ini";
}

std::string program()
{
    return Wide::toUtf8(Win32ExecutableInfo::modulePath());
}

// The administrator who installed the service, as the installer kept it.
std::wstring installer()
{
    wchar_t value[256] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kParameters, L"InstalledBy", RRF_RT_REG_SZ, nullptr, value, &size)
        != ERROR_SUCCESS)
        return {};
    return value;
}

std::optional<std::string> unsafeFiles(const Win32ExecutableInfo& executable, const std::wstring& trustedInstaller)
{
    return Win32FileCheck::firstUnsafe({program(), executable.folder(), settingsFileOf(executable)}, trustedInstaller);
}

// --- Run by the service control manager. ---

struct Service {
    SERVICE_STATUS_HANDLE status = nullptr;
    HANDLE stop = nullptr;
    HANDLE reload = nullptr;
    DWORD checkPoint = 0;
};
Service service;

// A run asks before each database whether the manager asked for a stop.
class StopEvent final : public StopRequest {
public:
    bool requested() override { return ::WaitForSingleObject(service.stop, 0) == WAIT_OBJECT_0; }
};

void report(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHint = 0)
{
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PRESHUTDOWN | SERVICE_ACCEPT_PARAMCHANGE : 0;
    if (exitCode != NO_ERROR) {
        status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        status.dwServiceSpecificExitCode = exitCode;
    }
    status.dwWaitHint = waitHint;
    status.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : ++service.checkPoint;
    ::SetServiceStatus(service.status, &status);
}

DWORD WINAPI control(DWORD code, DWORD, LPVOID, LPVOID)
{
    switch (code) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_PRESHUTDOWN:
        // The statement under way ends first; a run sends no more.
        report(SERVICE_STOP_PENDING, NO_ERROR, kPreshutdownMs);
        ::SetEvent(service.stop);
        return NO_ERROR;
    case SERVICE_CONTROL_PARAMCHANGE:
        ::SetEvent(service.reload);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI serviceMain(DWORD, LPWSTR*)
{
    service.status = ::RegisterServiceCtrlHandlerExW(kName, control, nullptr);
    if (!service.status)
        return;
    service.stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    service.reload = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    report(SERVICE_START_PENDING, NO_ERROR, 30000);

    Win32EventLog log;
    const Win32ExecutableInfo executable;
    const std::string settingsFile = settingsFileOf(executable);
    if (const auto unsafe = unsafeFiles(executable, installer())) {
        log.write(Priority::Error, *unsafe);
        report(SERVICE_STOPPED, kUnsafeFiles);
        return;
    }

    Win32Clock clock;
    Win32FileIo files;
    Win32TextEncoding encoding;
    Win32Shell shell;
    OdbcDataAccess dataAccess;
    Win32ScheduleLock lock;
    StopEvent stop;
    RunRecordFile records(files, RunRecordFile::besideSettings(settingsFile));
    ScheduleRunner runner({shell, dataAccess, records, lock, log, stop}, settingsFile);
    RunnerHost host({clock, files, encoding, runner, log}, settingsFile);
    host.readSettings(true);
    report(SERVICE_RUNNING);
    runner.start(clock.now());

    // A save in the settings file's folder wakes the loop at once: the new
    // slots count from then, not from the next wake.
    const std::wstring folder = Wide::fromUtf8(executable.folder());
    const HANDLE change = ::FindFirstChangeNotificationW(
        folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    const bool watching = change != INVALID_HANDLE_VALUE;
    const HANDLE waits[] = {service.stop, service.reload, change};
    for (;;) {
        const DWORD woke = ::WaitForMultipleObjects(watching ? 3 : 2, waits, FALSE,
                                                    static_cast<DWORD>(host.msToNextCheck(kLongestSleepMs)));
        if (woke == WAIT_OBJECT_0)
            break;
        if (woke == WAIT_FAILED) {
            ::Sleep(1000);
            host.check();
        } else if (woke == WAIT_OBJECT_0 + 1) {
            host.readSettings(true);
        } else if (woke == WAIT_OBJECT_0 + 2) {
            ::FindNextChangeNotification(change);
            host.readSettings(false);
        } else {
            host.check();
        }
    }
    if (watching)
        ::FindCloseChangeNotification(change);
    runner.stop();
    log.write(Priority::Info, "后台备份服务已停止。");
    report(SERVICE_STOPPED);
}

// --- Install and remove. ---

bool setDescription(SC_HANDLE handle)
{
    std::wstring text = L"按程序文件夹中 ondrel.ini 的时间段备份 SQL Server 数据库,无需登录 Windows。";
    SERVICE_DESCRIPTIONW description{text.data()};
    return ::ChangeServiceConfig2W(handle, SERVICE_CONFIG_DESCRIPTION, &description);
}

void setRecovery(SC_HANDLE handle)
{
    // Restarted a minute after a failure, twice, then after five minutes;
    // the count starts again after a day without one.
    SC_ACTION actions[] = {{SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 300000}};
    SERVICE_FAILURE_ACTIONSW failure{};
    failure.dwResetPeriod = 24 * 3600;
    failure.cActions = 3;
    failure.lpsaActions = actions;
    ::ChangeServiceConfig2W(handle, SERVICE_CONFIG_FAILURE_ACTIONS, &failure);
    // Also when it stopped by itself with an error, not only on a crash
    // (Wine refuses this level).
    SERVICE_FAILURE_ACTIONS_FLAG flag{TRUE};
    ::ChangeServiceConfig2W(handle, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag);
    SERVICE_PRESHUTDOWN_INFO preshutdown{kPreshutdownMs};
    ::ChangeServiceConfig2W(handle, SERVICE_CONFIG_PRESHUTDOWN_INFO, &preshutdown);
    // The account's own SID, which the settings file's access list names.
    SERVICE_SID_INFO sid{SERVICE_SID_TYPE_UNRESTRICTED};
    ::ChangeServiceConfig2W(handle, SERVICE_CONFIG_SERVICE_SID_INFO, &sid);
}

bool registerEventSource(const std::wstring& program)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEventSource, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    const bool done =
        ::RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                         static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)))
            == ERROR_SUCCESS
        && ::RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types)
            == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return done;
}

bool rememberInstaller(const std::wstring& user)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kParameters, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    const bool done = ::RegSetValueExW(key, L"InstalledBy", 0, REG_SZ, reinterpret_cast<const BYTE*>(user.c_str()),
                                       static_cast<DWORD>((user.size() + 1) * sizeof(wchar_t)))
        == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return done;
}

// Lets the service's account read the settings file and keep its records
// and the schedule's lock beside it; no one else gains anything.
std::string grantServiceAccess(const std::string& settingsFile)
{
    const std::wstring account = std::wstring(L"NT SERVICE\\") + kName;
    const std::string records = RunRecordFile::besideSettings(settingsFile);
    const std::string lockFile = settingsFile + ".lock";
    const struct {
        std::string path;
        DWORD rights;
    } grants[] = {{settingsFile, FILE_GENERIC_READ},
                  {records, FILE_GENERIC_READ | FILE_GENERIC_WRITE},
                  {lockFile, FILE_GENERIC_READ}};
    std::string problems;
    for (const auto& grant : grants) {
        const std::wstring path = Wide::fromUtf8(grant.path);
        // The records and the lock are made here, where the installer may.
        const HANDLE made = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made != INVALID_HANDLE_VALUE)
            ::CloseHandle(made);
        EXPLICIT_ACCESSW entry{};
        entry.grfAccessPermissions = grant.rights;
        entry.grfAccessMode = GRANT_ACCESS;
        entry.grfInheritance = NO_INHERITANCE;
        entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        entry.Trustee.TrusteeType = TRUSTEE_IS_USER;
        entry.Trustee.ptstrName = const_cast<wchar_t*>(account.c_str());
        PACL old = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        PACL updated = nullptr;
        DWORD status = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                               nullptr, &old, nullptr, &descriptor);
        if (status == ERROR_SUCCESS)
            status = ::SetEntriesInAclW(1, &entry, old, &updated);
        if (status == ERROR_SUCCESS)
            status = ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                             DACL_SECURITY_INFORMATION, nullptr, nullptr, updated, nullptr);
        if (updated)
            ::LocalFree(updated);
        if (descriptor)
            ::LocalFree(descriptor);
        if (status != ERROR_SUCCESS)
            problems += "\r\n  “" + grant.path + "”:" + SystemError::reason(status);
    }
    return problems;
}

} // namespace

int run()
{
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(kName), serviceMain}, {nullptr, nullptr}};
    if (::StartServiceCtrlDispatcherW(table))
        return 0;
    if (::GetLastError() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        say("ondrel.exe --service 由 Windows 服务管理器运行,不能直接启动。\r\n"
            "安装后台备份服务:在“以管理员身份运行”的命令提示符中执行 ondrel.exe --install-service");
        return 1;
    }
    say("无法连接 Windows 服务管理器:" + SystemError::reason(::GetLastError()));
    return 1;
}

int install()
{
    const OwnedServiceHandle manager(
        ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        if (::GetLastError() == ERROR_ACCESS_DENIED) {
            say("安装后台备份服务需要管理员权限:请右键“命令提示符”,选择“以管理员身份运行”,再执行 ondrel.exe "
                "--install-service");
        } else {
            say("无法连接 Windows 服务管理器:" + SystemError::reason(::GetLastError()));
        }
        return 5;
    }
    const Win32ExecutableInfo executable;
    const std::wstring user = Win32FileCheck::currentUser();
    if (const auto unsafe = unsafeFiles(executable, user)) {
        say(*unsafe);
        return static_cast<int>(kUnsafeFiles);
    }
    const std::wstring program = Win32ExecutableInfo::modulePath();
    const std::wstring command = L"\"" + program + L"\" --service";
    const std::wstring account = std::wstring(L"NT SERVICE\\") + kName;
    OwnedServiceHandle handle(::CreateServiceW(manager.get(), kName, L"Ondrel 定时备份", SERVICE_ALL_ACCESS,
                                               SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                               command.c_str(), nullptr, nullptr, nullptr, account.c_str(), nullptr));
    if (!handle && ::GetLastError() == ERROR_SERVICE_EXISTS) {
        // Installed before: the same service, pointed at this program.
        handle.reset(::OpenServiceW(manager.get(), kName, SERVICE_ALL_ACCESS));
        if (handle)
            ::ChangeServiceConfigW(handle.get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START, SERVICE_NO_CHANGE,
                                   command.c_str(), nullptr, nullptr, nullptr, account.c_str(), nullptr, nullptr);
    }
    if (!handle) {
        say("无法安装后台备份服务:" + SystemError::reason(::GetLastError()));
        return 1;
    }
    setDescription(handle.get());
    setRecovery(handle.get());
    rememberInstaller(user);
    if (!registerEventSource(program))
        say("提醒:无法登记事件日志来源 Ondrel,事件查看器中的消息可能无法正常显示。");
    const std::string problems = grantServiceAccess(settingsFileOf(executable));
    if (!problems.empty())
        say("提醒:无法让服务账户 NT SERVICE\\Ondrel 读取配置文件或写入运行记录:" + problems);
    if (!::StartServiceW(handle.get(), 0, nullptr) && ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        say("后台备份服务已安装,但未能启动:" + SystemError::reason(::GetLastError())
            + "。请在事件查看器(Windows 日志 → 应用程序,来源 Ondrel)中查看原因。");
        return 1;
    }
    say("后台备份服务 Ondrel 已安装并启动,开机自动运行,无需登录。\r\n"
        "它按本文件夹中的 ondrel.ini 备份;在窗口中“保存配置”后,下一个时间段起生效。\r\n"
        "查看记录:事件查看器 → Windows 日志 → 应用程序,来源 Ondrel。");
    return 0;
}

int uninstall()
{
    const OwnedServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        say("无法连接 Windows 服务管理器:" + SystemError::reason(::GetLastError()));
        return 5;
    }
    const OwnedServiceHandle handle(::OpenServiceW(manager.get(), kName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!handle) {
        if (::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
            say("后台备份服务 Ondrel 未安装。");
            return 0;
        }
        if (::GetLastError() == ERROR_ACCESS_DENIED) {
            say("删除后台备份服务需要管理员权限:请在“以管理员身份运行”的命令提示符中执行 ondrel.exe "
                "--uninstall-service");
            return 5;
        }
        say("无法打开后台备份服务:" + SystemError::reason(::GetLastError()));
        return 1;
    }
    SERVICE_STATUS status{};
    ::ControlService(handle.get(), SERVICE_CONTROL_STOP, &status);
    // A backup under way ends first; wait for the service to stop.
    for (int waited = 0; waited < 600; ++waited) {
        if (!::QueryServiceStatus(handle.get(), &status) || status.dwCurrentState == SERVICE_STOPPED)
            break;
        ::Sleep(1000);
    }
    if (!::DeleteService(handle.get()) && ::GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
        say("无法删除后台备份服务:" + SystemError::reason(::GetLastError()));
        return 1;
    }
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEventSource);
    // Its records would only go on telling the window of a service that
    // is gone.
    const Win32ExecutableInfo executable;
    ::DeleteFileW(Wide::fromUtf8(RunRecordFile::besideSettings(settingsFileOf(executable))).c_str());
    say("后台备份服务 Ondrel 已删除;配置文件和备份文件保留。");
    return 0;
}

} // namespace Win32Service
