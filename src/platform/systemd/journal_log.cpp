#include "platform/systemd/journal_log.h"

#include <cstdio>
#include <string>

void JournalLog::write(Priority priority, const std::string& text)
{
    const std::string prefix = "<" + std::to_string(static_cast<int>(priority)) + ">";
    std::string lines;
    std::size_t start = 0;
    // Every line of a text keeps the priority.
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines += prefix + line + "\n";
        start = end + 1;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::fputs(lines.c_str(), stderr);
    std::fflush(stderr);
}
