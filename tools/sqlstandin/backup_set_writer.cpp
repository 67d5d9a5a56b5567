#include "backup_set_writer.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sqlstandin {
namespace {

std::atomic<unsigned> partialCounter{0};

}  // namespace

BackupSetWriter::BackupSetWriter(std::filesystem::path target, bool append, const BackupSetHeader& header)
    : target_(std::move(target)) {
    if (append) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) throw BackupFileError(true, errno);
        const off_t end = ::lseek(fd_, 0, SEEK_END);
        if (end < 0) {
            const int error = errno;
            ::close(fd_);
            throw BackupFileError(true, error);
        }
        originalSize_ = end;
    } else {
        // The partial file sits in the target's folder, so opening it fails
        // exactly when opening the target would.
        partial_ = target_;
        partial_ += ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(partialCounter++);
        struct stat st {};
        if (::stat(target_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw BackupFileError(true, EISDIR);
        fd_ = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) throw BackupFileError(true, errno);
    }
    try {
        writeAll(header.encode());
    } catch (...) {
        abandon();
        throw;
    }
}

BackupSetWriter::~BackupSetWriter() {
    if (!done_) abandon();
}

void BackupSetWriter::writeAll(std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd_, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw BackupFileError(false, errno);
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
}

void BackupSetWriter::write(std::span<const std::uint8_t> data) {
    writeAll(data);
    crc_.update(data);
    dataBytes_ += data.size();
}

void BackupSetWriter::finish() {
    writeAll(BackupSetHeader::encodeTrailer(dataBytes_, crc_.value()));
    if (::fsync(fd_) != 0) throw BackupFileError(false, errno);
    ::close(fd_);
    fd_ = -1;
    if (!partial_.empty() && ::rename(partial_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        abandon();
        throw BackupFileError(false, error);
    }
    done_ = true;
}

void BackupSetWriter::abandon() noexcept {
    if (done_) return;
    done_ = true;
    if (partial_.empty()) {
        if (fd_ >= 0 && ::ftruncate(fd_, originalSize_) != 0) {
            // Nothing more can be done; the next append sees a damaged set.
        }
    } else {
        ::unlink(partial_.c_str());
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace sqlstandin
