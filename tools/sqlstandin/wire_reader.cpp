#include "wire_reader.h"

#include "protocol_error.h"
#include "text.h"

namespace sqlstandin {

std::span<const std::uint8_t> WireReader::bytes(std::size_t count) {
    if (count > remaining()) throw ProtocolError("message ends early");
    const auto out = data_.subspan(pos_, count);
    pos_ += count;
    return out;
}

std::uint8_t WireReader::u8() { return bytes(1)[0]; }

std::uint16_t WireReader::u16() {
    const auto b = bytes(2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t WireReader::u32() {
    const auto b = bytes(4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint64_t WireReader::u64() {
    const std::uint64_t low = u32();
    const std::uint64_t high = u32();
    return low | (high << 32);
}

std::string WireReader::ucs2(std::size_t characters) {
    const auto b = bytes(characters * 2);
    return text::utf16leToUtf8(b.data(), b.size());
}

std::uint8_t WireReader::peek() const {
    if (atEnd()) throw ProtocolError("message ends early");
    return data_[pos_];
}

}  // namespace sqlstandin
