#include "text/letter_case.h"

#include <algorithm>

namespace LetterCase {

namespace {

char upperChar(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char lowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), upperChar);
    return text;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), lowerChar);
    return text;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerChar(x) == lowerChar(y); });
}

} // namespace LetterCase
