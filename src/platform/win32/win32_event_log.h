#pragma once

#include <mutex>

#include "platform/win32/windows_api.h"
#include "platform/runner_log.h"

// The runner's words in the Windows Event Log, under the source "Ondrel"
// (registered at install, with ondrel.exe's message table: Event Viewer
// shows them in Chinese), and on the standard error stream when the
// service has one (a test's, or a console's).
class Win32EventLog final : public RunnerLog {
public:
    // The source's name in the Application log.
    static constexpr const wchar_t* kSource = L"Ondrel";

    Win32EventLog();
    ~Win32EventLog() override;
    Win32EventLog(const Win32EventLog&) = delete;
    Win32EventLog& operator=(const Win32EventLog&) = delete;

    void write(Priority priority, const std::string& text) override;

private:
    HANDLE m_source = nullptr;
    std::mutex m_mutex;
};
