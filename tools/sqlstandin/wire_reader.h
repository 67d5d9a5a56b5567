#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace sqlstandin {

// Bounds-checked reading of client data; running past the end throws
// ProtocolError instead of reading garbage.
class WireReader final {
public:
    explicit WireReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    std::span<const std::uint8_t> bytes(std::size_t count);
    void skip(std::size_t count) { bytes(count); }
    std::string ucs2(std::size_t characters);   // UTF-16LE to UTF-8
    std::string bVarchar() { return ucs2(u8()); }
    std::string usVarchar() { return ucs2(u16()); }

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    std::uint8_t peek() const;

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

}  // namespace sqlstandin
