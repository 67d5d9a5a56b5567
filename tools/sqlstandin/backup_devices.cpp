#include "backup_devices.h"

namespace sqlstandin {

bool BackupDevices::claim(const std::string& path) {
    std::lock_guard lock(mutex_);
    return busy_.insert(path).second;
}

void BackupDevices::release(const std::string& path) {
    std::lock_guard lock(mutex_);
    busy_.erase(path);
}

bool BackupDevices::reserve(std::uint64_t bytes) {
    std::lock_guard lock(mutex_);
    if (!space_) return true;
    if (bytes > *space_) return false;
    *space_ -= bytes;
    return true;
}

void BackupDevices::giveBack(std::uint64_t bytes) {
    std::lock_guard lock(mutex_);
    if (space_) *space_ += bytes;
}

}  // namespace sqlstandin
