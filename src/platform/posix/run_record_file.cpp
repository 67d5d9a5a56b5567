#include "platform/posix/run_record_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_io.h"
#include "platform/posix/posix_path.h"

std::string RunRecordFile::besideSettings(const std::string& settingsFile)
{
    return PosixPath::folderOf(settingsFile) + "/" + RunRecords::kFileName;
}

RunRecordStore::Loaded RunRecordFile::load()
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return {};
        return {std::nullopt, "无法读取运行记录“" + m_path + "”:" + std::strerror(errno)};
    }
    std::string bytes;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0)
            bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    // An empty file is one the installer made: no record yet.
    if (bytes.empty())
        return {};
    auto records = RunRecords::decode(bytes);
    if (!records)
        return {std::nullopt, "运行记录“" + m_path + "”不完整或已损坏,本次启动不补做错过的备份。"};
    return {std::move(records), std::nullopt};
}

void RunRecordFile::save(const RunRecords& records)
{
    const std::string bytes = records.encode();
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        throw FileIo::Error("“" + m_path + "”" + std::strerror(errno));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + written, bytes.size() - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            throw FileIo::Error("“" + m_path + "”" + std::strerror(error));
        }
        written += static_cast<std::size_t>(n);
    }
    const bool kept = ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fdatasync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!kept)
        throw FileIo::Error("“" + m_path + "”" + std::strerror(error));
}
