#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The conversions the settings reader applies to its count and option lines.
namespace SettingValues {

// A decimal whole number from -32,768 (a negative count appends nothing, as
// it always did) to 2^31-1 (what a save of a list that long writes), blanks
// around it allowed.
std::optional<std::int32_t> parseCount(const std::string& text);
// "True" or "False" in any letter case, or a number: zero is false, any
// other number true. Blanks around it allowed.
std::optional<bool> parseTruth(const std::string& text);

} // namespace SettingValues
