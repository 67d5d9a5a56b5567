#include "platform/systemd/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdint>

#include "platform/posix/posix_path.h"

FolderWatch::FolderWatch(const std::string& file) : m_name(PosixPath::nameOf(file))
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Whatever replaces, writes, removes or re-permits a file in the folder.
    constexpr std::uint32_t kEvents =
        IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MODIFY;
    if (m_fd >= 0 && ::inotify_add_watch(m_fd, PosixPath::folderOf(file).c_str(), kEvents) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::mayHaveChanged()
{
    if (m_fd < 0)
        return true;
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            return changed;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // A lost event (the queue overflowed) may have been about the file.
            if ((event->mask & IN_Q_OVERFLOW) || (event->len > 0 && m_name == event->name))
                changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}
