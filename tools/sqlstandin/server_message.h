#pragma once

#include <cstdint>
#include <string>

namespace sqlstandin {

// An INFO (severity 10 or less) or ERROR token's content.
struct ServerMessage {
    std::int32_t number = 0;
    std::uint8_t state = 1;
    std::uint8_t severity = 0;
    std::string text;
    std::int32_t line = 1;

    bool isError() const { return severity > 10; }
};

}  // namespace sqlstandin
