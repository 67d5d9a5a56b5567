#pragma once

#include <string>

// Doubles every occurrence of the quote character, the one escape that SQL
// identifiers ("]"), SQL strings ("'") and braced connection values ("}")
// all share.
inline std::string doubled(const std::string& text, char quote)
{
    std::string result;
    result.reserve(text.size() + 2);
    for (char c : text) {
        result += c;
        if (c == quote)
            result += quote;
    }
    return result;
}
