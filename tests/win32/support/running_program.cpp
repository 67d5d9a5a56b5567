#include "running_program.h"

#include "desktop.h"

namespace ondrel::win32test {

namespace fs = std::filesystem;

RunningProgram::RunningProgram(const fs::path& exe)
{
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const fs::path folder = exe.parent_path();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &m_process))
        return;
    waitFor([this] { return (m_window = findWindow()) != nullptr; });
}

RunningProgram::RunningProgram(const fs::path& program, const fs::path& folder)
    : RunningProgram(copied(program, folder))
{
}

fs::path RunningProgram::copied(const fs::path& program, const fs::path& folder)
{
    const fs::path exe = folder / program.filename();
    fs::copy_file(program, exe, fs::copy_options::overwrite_existing);
    return exe;
}

RunningProgram::~RunningProgram()
{
    if (!m_process.hProcess)
        return;
    if (!ended(std::chrono::milliseconds(0))) {
        TerminateProcess(m_process.hProcess, 99);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

HWND RunningProgram::control(const std::wstring& className, const std::wstring& text, DWORD style) const
{
    for (HWND child : controls()) {
        const auto styles = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        if (windowClass(child) == className && windowText(child) == text && (styles & style) == style)
            return child;
    }
    return nullptr;
}

std::vector<HWND> RunningProgram::controls() const
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

void RunningProgram::press(const std::wstring& caption) const
{
    PostMessageW(control(L"Button", caption), BM_CLICK, 0, 0);
}

bool RunningProgram::ended(std::chrono::milliseconds limit) const
{
    return WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
}

DWORD RunningProgram::exitCode() const
{
    DWORD code = 0;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

HWND RunningProgram::findWindow() const
{
    struct Search {
        DWORD process;
        HWND found = nullptr;
    } search{m_process.dwProcessId};
    EnumWindows(
        [](HWND window, LPARAM context) {
            auto& s = *reinterpret_cast<Search*>(context);
            if (processOf(window) != s.process || windowClass(window) != L"OndrelForm1" || !IsWindowVisible(window))
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace ondrel::win32test
