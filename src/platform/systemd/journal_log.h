#pragma once

#include <mutex>

#include "platform/runner_log.h"

// The runner's words on stderr, each line led by its syslog priority
// ("<3>", "<4>", "<6>"): the journal files them with that priority, and a
// person running the program by hand reads them as they come.
class JournalLog final : public RunnerLog {
public:
    void write(Priority priority, const std::string& text) override;

private:
    std::mutex m_mutex;
};
