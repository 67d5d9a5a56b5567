#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>

// ondrel.exe copied into a folder of its own and started there, as an
// operator starts it, then driven from outside through Win32 calls.
namespace ondrel::win32test {

class RunningProgram final {
public:
    // Waits for the program's window to be shown.
    RunningProgram(const std::filesystem::path& program, const std::filesystem::path& folder);
    // A program still running is ended by force.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HWND window() const { return m_window; }
    DWORD id() const { return m_process.dwProcessId; }

    // The child control of that class showing that text, or none.
    HWND control(const std::wstring& className, const std::wstring& text) const;
    // Presses a button the way a click does, without waiting for what it
    // opens (a box would hold a sent message until it is closed).
    void press(const std::wstring& caption) const;

    bool ended(std::chrono::milliseconds limit = std::chrono::seconds(15)) const;
    DWORD exitCode() const;

private:
    HWND findWindow() const;

    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
};

} // namespace ondrel::win32test
