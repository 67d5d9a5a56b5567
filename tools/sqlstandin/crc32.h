#pragma once

#include <cstdint>
#include <span>

namespace sqlstandin {

// CRC-32 (IEEE 802.3), fed in pieces.
class Crc32 final {
public:
    void update(std::span<const std::uint8_t> data);
    std::uint32_t value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

}  // namespace sqlstandin
