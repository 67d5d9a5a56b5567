#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace sqlstandin {

// The parts of a LOGIN7 message the stand-in acts on.
struct LoginRequest {
    std::uint32_t tdsVersion = 0;
    std::uint32_t packetSize = 0;
    std::string user;
    std::string password;
    std::string database;
    std::string hostName;
    std::string appName;
    bool integratedSecurity = false;

    static LoginRequest parse(std::span<const std::uint8_t> payload);
};

}  // namespace sqlstandin
