#pragma once

#include "backup_set_header.h"
#include "backup_file_error.h"
#include "crc32.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace sqlstandin {

// Writes one backup set. A new or replaced file is written beside the
// target and renamed into place when complete; a set appended to an
// existing file is cut off again if abandoned. Either way an abandoned set
// leaves nothing behind.
class BackupSetWriter final {
public:
    BackupSetWriter(std::filesystem::path target, bool append, const BackupSetHeader& header);
    ~BackupSetWriter();
    BackupSetWriter(const BackupSetWriter&) = delete;
    BackupSetWriter& operator=(const BackupSetWriter&) = delete;

    void write(std::span<const std::uint8_t> data);
    void finish();
    void abandon() noexcept;

private:
    void writeAll(std::span<const std::uint8_t> data);

    std::filesystem::path target_;
    std::filesystem::path partial_;   // empty when appending in place
    int fd_ = -1;
    long long originalSize_ = 0;
    std::uint64_t dataBytes_ = 0;
    Crc32 crc_;
    bool done_ = false;
};

}  // namespace sqlstandin
