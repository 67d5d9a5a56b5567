#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sqlstandin {

// Layout of a backup file: one or more sets, each
//   header  "SSBKSET1", u32 header size, u32 set number, u64 start (Unix ms),
//           u64 data size, u32 data pages, u32 log pages,
//           u16 name size + database name (UTF-8), u32 CRC-32 of the header
//   data    the database's pages
//   trailer "SSBKEND1", u64 data size, u32 CRC-32 of the data
// All integers little-endian.
struct BackupSetHeader {
    static constexpr std::size_t kMagicSize = 8;
    static constexpr std::size_t kFixedSize = 8 + 4 + 4 + 8 + 8 + 4 + 4 + 2 + 4;
    static constexpr std::size_t kTrailerSize = 8 + 8 + 4;
    static const char kSetMagic[kMagicSize + 1];
    static const char kEndMagic[kMagicSize + 1];

    std::uint32_t setNumber = 1;
    std::uint64_t startMs = 0;
    std::uint64_t dataBytes = 0;
    std::uint32_t dataPages = 0;
    std::uint32_t logPages = 0;
    std::string database;

    std::vector<std::uint8_t> encode() const;
    // Header size from its first 12 bytes, or nothing if they are not a header.
    static std::optional<std::uint32_t> sizeFromPrefix(std::span<const std::uint8_t> prefix);
    // Nothing when the bytes are not an intact header.
    static std::optional<BackupSetHeader> decode(std::span<const std::uint8_t> bytes);

    static std::vector<std::uint8_t> encodeTrailer(std::uint64_t dataBytes, std::uint32_t crc);
};

}  // namespace sqlstandin
