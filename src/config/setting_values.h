#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The conversions the settings reader applies to its count and option lines.
namespace SettingValues {

// A decimal whole number in the 16-bit range, blanks around it allowed.
std::optional<std::int16_t> parseCount(const std::string& text);
// "True" or "False" in any letter case, or a number: zero is false, any
// other number true. Blanks around it allowed.
std::optional<bool> parseTruth(const std::string& text);

} // namespace SettingValues
