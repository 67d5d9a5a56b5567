#include "platform/posix/posix_schedule_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

PosixScheduleLock::~PosixScheduleLock()
{
    release();
}

ScheduleLock::Outcome PosixScheduleLock::take(const std::string& settingsFile)
{
    if (m_fd >= 0 && settingsFile == m_settingsFile)
        return Outcome::Held;
    release();
    const std::string path = lockFileFor(settingsFile);
    // Read-only suffices for flock, and is all an account that does not own
    // the file may have.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0)
            ::fchmod(fd, 0644);
    }
    if (fd < 0)
        return Outcome::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return errno == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unavailable;
    }
    m_fd = fd;
    m_settingsFile = settingsFile;
    return Outcome::Held;
}

void PosixScheduleLock::release()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    m_settingsFile.clear();
}
