#pragma once

#include <cstdint>
#include <string>

// What the operator is told about a failed server method, by error number.
namespace ServerErrorReport {

// The number reported for a failure of the program's own code in a
// server method (not one of the data-access component).
inline constexpr std::int32_t kInternalError = 51;

// The message for the number: one of the known failures, or the general
// text asking the operator to report the number. Never silent: an unknown
// negative number gets the general text too.
std::string message(std::int32_t number);

} // namespace ServerErrorReport
