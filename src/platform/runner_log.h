#pragma once

#include <string>

// Where the background runner's words go: the system's log, in the
// operator's language, each with how urgent it is.
class RunnerLog {
public:
    // The syslog priorities these words are written with.
    enum class Priority { Error = 3, Warning = 4, Info = 6 };

    virtual ~RunnerLog() = default;
    virtual void write(Priority priority, const std::string& text) = 0;
};
