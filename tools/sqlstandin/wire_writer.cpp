#include "wire_writer.h"

#include "text.h"

#include <utility>

namespace sqlstandin {

void WireWriter::u16(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void WireWriter::u16be(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(v));
}

void WireWriter::u32(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
}

void WireWriter::u64(std::uint64_t v) {
    for (int shift = 0; shift < 64; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
}

void WireWriter::ucs2(std::string_view utf8) {
    for (char16_t unit : text::utf8ToUtf16(utf8)) u16(static_cast<std::uint16_t>(unit));
}

void WireWriter::bVarchar(std::string_view utf8) {
    const std::u16string units = text::utf8ToUtf16(utf8);
    const std::size_t count = units.size() > 255 ? 255 : units.size();
    u8(static_cast<std::uint8_t>(count));
    for (std::size_t i = 0; i < count; ++i) u16(static_cast<std::uint16_t>(units[i]));
}

void WireWriter::usVarchar(std::string_view utf8) {
    const std::u16string units = text::utf8ToUtf16(utf8);
    const std::size_t count = units.size() > 65535 ? 65535 : units.size();
    u16(static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) u16(static_cast<std::uint16_t>(units[i]));
}

void WireWriter::bVarbyte(std::span<const std::uint8_t> data) {
    u8(static_cast<std::uint8_t>(data.size()));
    raw(data);
}

void WireWriter::patchU16(std::size_t offset, std::uint16_t v) {
    bytes_.at(offset) = static_cast<std::uint8_t>(v);
    bytes_.at(offset + 1) = static_cast<std::uint8_t>(v >> 8);
}

std::vector<std::uint8_t> WireWriter::take() {
    std::vector<std::uint8_t> out;
    std::swap(out, bytes_);
    return out;
}

}  // namespace sqlstandin
