#include "platform/posix/posix_file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/posix/posix_path.h"

namespace {

std::string reasonFor(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case EROFS:
        return "磁盘为只读";
    case ENOSPC:
    case EDQUOT:
        return "磁盘空间不足";
    case ENOENT:
        return "文件夹不存在";
    case EISDIR:
        return "同名文件夹已存在";
    case ELOOP:
        return "符号链接过多或成环";
    default:
        return std::strerror(error);
    }
}

[[noreturn]] void fail(int error)
{
    throw FileIo::Error(reasonFor(error));
}

// The file a path stands for: a symbolic link is followed to its target
// (link by link, a relative target taken from the link's folder), so that a
// save replaces the target and leaves the link in place. A target that does
// not exist yet is where the file will be created.
std::string finalTarget(const std::string& path)
{
    std::string target = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        if (links == 40)
            fail(ELOOP);
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (length < 0)
            fail(errno);
        if (static_cast<std::size_t>(length) >= buffer.size())
            fail(ENAMETOOLONG);
        const std::string next(buffer.data(), static_cast<std::size_t>(length));
        target = next.front() == '/' ? next : PosixPath::folderOf(target) + "/" + next;
    }
}

class TempFile final {
public:
    explicit TempFile(const std::string& target)
    {
        std::string pattern = target + ".XXXXXX";
        m_name.assign(pattern.begin(), pattern.end());
        m_name.push_back('\0');
        m_fd = mkstemp(m_name.data());
        if (m_fd < 0)
            fail(errno);
        // A file that others could not read but its group could (a
        // background service's settings, mode 0640, group of the service's
        // account) keeps its group and the group's right to read, so that
        // the service reads what the window saves. Nothing else keeps more
        // than its owner's rights.
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0 && (old.st_mode & S_IRGRP) != 0 && (old.st_mode & S_IROTH) == 0
            && ::fchown(m_fd, static_cast<uid_t>(-1), old.st_gid) == 0)
            ::fchmod(m_fd, S_IRUSR | S_IWUSR | S_IRGRP);
    }
    ~TempFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_committed)
            ::unlink(m_name.data());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void write(const std::string& bytes)
    {
        const char* p = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, p, left);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail(errno);
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        if (::fsync(m_fd) != 0)
            fail(errno);
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            fail(errno);
    }

    void renameTo(const std::string& target)
    {
        if (::rename(m_name.data(), target.c_str()) != 0)
            fail(errno);
        m_committed = true;
    }

private:
    std::vector<char> m_name;
    int m_fd = -1;
    bool m_committed = false;
};

} // namespace

bool PosixFileIo::isRegularFile(const std::string& path) const
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string PosixFileIo::readAll(const std::string& path) const
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileIo::Error(reasonFor(errno));
    // Read straight into the string, sized by the file: a resident service
    // reads its settings often and keeps no large buffer on its stack.
    struct stat st {};
    const std::size_t expected = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    std::string bytes(expected + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            throw FileIo::Error(reasonFor(error));
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
    return bytes;
}

void PosixFileIo::writeAtomically(const std::string& path, const std::string& bytes)
{
    // The temporary file lies beside the file it replaces, in the target's
    // folder when the path is a symbolic link: a rename never crosses file
    // systems.
    const std::string target = finalTarget(path);
    // mkstemp creates the file with mode 0600: the password never sits in a
    // file that others can read, not even for a moment.
    TempFile temp(target);
    temp.write(bytes);
    temp.renameTo(target);
    // Make the rename itself durable.
    const int dir = ::open(PosixPath::folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void PosixFileIo::overwrite(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        fail(errno);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + written, bytes.size() - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            fail(error);
        }
        written += static_cast<std::size_t>(n);
    }
    const bool kept = ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fdatasync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!kept)
        fail(error);
}

std::string PosixFileIo::stamp(const std::string& path) const
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":"
        + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + ":"
        + std::to_string(st.st_mode) + ":" + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid);
}
