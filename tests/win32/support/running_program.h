#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

// ondrel.exe started in its own folder, as an operator starts it, then
// driven from outside through Win32 calls.
namespace ondrel::win32test {

class RunningProgram final {
public:
    // Starts the program where it lies; waits for its window to be shown.
    explicit RunningProgram(const std::filesystem::path& exe);
    // The same with a copy of the program in that folder.
    RunningProgram(const std::filesystem::path& program, const std::filesystem::path& folder);
    // A program still running is ended by force.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HWND window() const { return m_window; }
    DWORD id() const { return m_process.dwProcessId; }

    // The first child control of that class showing that text whose style
    // has those bits, or none.
    HWND control(const std::wstring& className, const std::wstring& text, DWORD style = 0) const;
    std::vector<HWND> controls() const;
    // Presses a button the way a click does, without waiting for what it
    // opens (a box would hold a sent message until it is closed).
    void press(const std::wstring& caption) const;

    bool ended(std::chrono::milliseconds limit = std::chrono::seconds(15)) const;
    DWORD exitCode() const;

private:
    static std::filesystem::path copied(const std::filesystem::path& program, const std::filesystem::path& folder);
    HWND findWindow() const;

    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
};

} // namespace ondrel::win32test
