#pragma once

#include "platform/schedule_lock.h"
#include "platform/win32/owned_handle.h"

// The schedule's lock as a byte-range lock (LockFileEx) on a file beside
// the settings file. The file is opened for reading and shared with every
// other opener, so that the window and the service can both open it; the
// lock goes with the handle, when the process ends included.
class Win32ScheduleLock final : public ScheduleLock {
public:
    Outcome take(const std::string& settingsFile) override;
    void release() override;

private:
    OwnedFile m_file;
    std::string m_settingsFile;
};
