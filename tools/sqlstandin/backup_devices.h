#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace sqlstandin {

// What all backups share: which files are being written (a second writer
// is refused, as the OS refuses a file in use) and, under --disk-space,
// how much room is left.
class BackupDevices final {
public:
    explicit BackupDevices(std::optional<std::uint64_t> space) : space_(space) {}

    bool claim(const std::string& path);
    void release(const std::string& path);
    // False when the write does not fit: the disk is full.
    bool reserve(std::uint64_t bytes);
    void giveBack(std::uint64_t bytes);

private:
    std::mutex mutex_;
    std::set<std::string> busy_;
    std::optional<std::uint64_t> space_;
};

}  // namespace sqlstandin
