#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sqlstandin {

// A logged-in connection's settings, as statements see and change them.
struct SessionState {
    int conn = 0;
    std::uint16_t spid = 0;
    std::uint32_t tdsVersion = 0;
    std::string user;
    std::string database;
    bool nocount = false;
    bool inTransaction = false;
    std::array<std::uint8_t, 8> transaction{};
};

}  // namespace sqlstandin
