#include "platform/win32/win32_schedule_lock.h"

#include <stdexcept>

#include "platform/win32/api_path.h"

ScheduleLock::Outcome Win32ScheduleLock::take(const std::string& settingsFile)
{
    if (m_file && settingsFile == m_settingsFile)
        return Outcome::Held;
    release();
    std::wstring path;
    try {
        path = ApiPath::of(lockFileFor(settingsFile));
    } catch (const std::invalid_argument&) {
        return Outcome::Unavailable;
    }
    OwnedFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return Outcome::Unavailable;
    OVERLAPPED whole{};
    if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole))
        return ::GetLastError() == ERROR_LOCK_VIOLATION ? Outcome::HeldElsewhere : Outcome::Unavailable;
    m_file = std::move(file);
    m_settingsFile = settingsFile;
    return Outcome::Held;
}

void Win32ScheduleLock::release()
{
    m_file.reset();
    m_settingsFile.clear();
}
