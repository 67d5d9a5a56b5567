#include "platform/win32/win32_event_log.h"

#include "messages.h"
#include "platform/win32/wide_text.h"

Win32EventLog::Win32EventLog() : m_source(::RegisterEventSourceW(nullptr, kSource)) {}

Win32EventLog::~Win32EventLog()
{
    if (m_source)
        ::DeregisterEventSource(m_source);
}

void Win32EventLog::write(Priority priority, const std::string& text)
{
    WORD type = EVENTLOG_INFORMATION_TYPE;
    DWORD event = ONDREL_EVENT_INFO;
    if (priority == Priority::Error) {
        type = EVENTLOG_ERROR_TYPE;
        event = ONDREL_EVENT_ERROR;
    } else if (priority == Priority::Warning) {
        type = EVENTLOG_WARNING_TYPE;
        event = ONDREL_EVENT_WARNING;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_source) {
        const std::wstring wide = Wide::fromUtf8(text);
        const wchar_t* strings[] = {wide.c_str()};
        ::ReportEventW(m_source, type, 0, event, nullptr, 1, 0, strings, nullptr);
    }
    // The same line, with its priority, where someone reads the stream.
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE) {
        const std::string line = "<" + std::to_string(static_cast<int>(priority)) + ">" + text + "\n";
        DWORD written = 0;
        ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}
