#include "config/setting_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "text/letter_case.h"

namespace {

std::string trimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

namespace SettingValues {

std::optional<std::int32_t> parseCount(const std::string& text)
{
    std::string digits = trimBlanks(text);
    if (!digits.empty() && digits.front() == '+')
        digits.erase(0, 1);
    if (digits.empty())
        return std::nullopt;
    std::int32_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value, 10);
    if (ec != std::errc() || ptr != end || value < std::numeric_limits<std::int16_t>::min())
        return std::nullopt;
    return value;
}

std::optional<bool> parseTruth(const std::string& text)
{
    const std::string word = LetterCase::lower(trimBlanks(text));
    if (word == "true")
        return true;
    if (word == "false")
        return false;
    if (word.empty())
        return std::nullopt;
    // Only plain decimal numbers, never "inf" or "nan".
    const bool plain = std::all_of(word.begin(), word.end(), [](unsigned char c) {
        return std::isdigit(c) || c == '.' || c == '-' || c == '+' || c == 'e';
    });
    if (!plain)
        return std::nullopt;
    std::string number = word.front() == '+' ? word.substr(1) : word;
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value != 0.0;
}

} // namespace SettingValues
