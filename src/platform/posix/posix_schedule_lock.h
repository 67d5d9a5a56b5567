#pragma once

#include "platform/schedule_lock.h"

// The schedule's lock as an flock(2) on a file beside the settings file.
// The lock file is made readable by everyone, so that the window and a
// service running under an account of its own can both open it; a file
// that cannot be made (a folder only its owner may write) is made by the
// service's installer.
class PosixScheduleLock final : public ScheduleLock {
public:
    PosixScheduleLock() = default;
    ~PosixScheduleLock() override;
    PosixScheduleLock(const PosixScheduleLock&) = delete;
    PosixScheduleLock& operator=(const PosixScheduleLock&) = delete;

    Outcome take(const std::string& settingsFile) override;
    void release() override;

private:
    int m_fd = -1;
    std::string m_settingsFile;
};
