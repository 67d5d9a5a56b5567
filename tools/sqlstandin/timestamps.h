#pragma once

#include <chrono>
#include <string>

namespace sqlstandin {

// UTC, ISO 8601 with milliseconds: 2024-05-01T10:00:00.123Z
std::string isoUtc(std::chrono::system_clock::time_point when);

}  // namespace sqlstandin
