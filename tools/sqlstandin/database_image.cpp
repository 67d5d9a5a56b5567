#include "database_image.h"

#include "text.h"

namespace sqlstandin {
namespace {

std::uint64_t splitmix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

DatabaseImage::DatabaseImage(const DatabaseInfo& database) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char c : text::collationKey(database.name)) hash = (hash ^ c) * 0x100000001B3ull;
    seed_ = hash;
    dataPages_ = (database.sizeBytes + kPageSize - 1) / kPageSize;
    if (dataPages_ == 0) dataPages_ = 1;
    logPages_ = 2 + dataPages_ / 256;
}

void DatabaseImage::fillPage(std::uint64_t page, std::span<std::uint8_t, kPageSize> out) const {
    std::uint64_t state = seed_ ^ (page * 0x9E3779B97F4A7C15ull);
    for (std::size_t i = 0; i < kPageSize; i += 8) {
        const std::uint64_t v = splitmix(state);
        for (std::size_t k = 0; k < 8; ++k) out[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
    // A page starts with its own number, as a real page header names its page.
    for (std::size_t k = 0; k < 8; ++k) out[k] = static_cast<std::uint8_t>(page >> (8 * k));
}

}  // namespace sqlstandin
