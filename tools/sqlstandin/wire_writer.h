#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sqlstandin {

// Builds TDS data: little-endian integers, UTF-16LE strings with their
// byte or short character counts.
class WireWriter final {
public:
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v);
    void u16be(std::uint16_t v);
    void u32(std::uint32_t v);
    void u64(std::uint64_t v);
    void raw(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    void ucs2(std::string_view utf8);           // characters only, no length
    void bVarchar(std::string_view utf8);       // 1-byte character count
    void usVarchar(std::string_view utf8);      // 2-byte character count
    void bVarbyte(std::span<const std::uint8_t> data);

    void patchU16(std::size_t offset, std::uint16_t v);
    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> take();
    void clear() { bytes_.clear(); }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace sqlstandin
