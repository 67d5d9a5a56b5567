#pragma once

#include "catalog.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace sqlstandin {

// A database's content: 8 KB pages of deterministic bytes, so two backups
// of the same database carry the same data and a test can compare them.
class DatabaseImage final {
public:
    static constexpr std::size_t kPageSize = 8192;

    explicit DatabaseImage(const DatabaseInfo& database);

    std::uint64_t dataPages() const { return dataPages_; }
    std::uint64_t logPages() const { return logPages_; }
    std::uint64_t totalBytes() const { return (dataPages_ + logPages_) * kPageSize; }

    // Page numbers run over the data file, then the log file.
    void fillPage(std::uint64_t page, std::span<std::uint8_t, kPageSize> out) const;

private:
    std::uint64_t seed_ = 0;
    std::uint64_t dataPages_ = 0;
    std::uint64_t logPages_ = 0;
};

}  // namespace sqlstandin
