#include "crc32.h"

#include <array>

namespace sqlstandin {
namespace {

constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr auto kTable = makeTable();

}  // namespace

void Crc32::update(std::span<const std::uint8_t> data) {
    std::uint32_t c = state_;
    for (std::uint8_t b : data) c = kTable[(c ^ b) & 0xFFu] ^ (c >> 8);
    state_ = c;
}

}  // namespace sqlstandin
