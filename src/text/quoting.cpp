#include "text/quoting.h"

namespace Quoting {

std::string doubled(const std::string& text, char quote)
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

std::string identifier(const std::string& name)
{
    return "[" + doubled(name, ']') + "]";
}

std::string unicodeLiteral(const std::string& text)
{
    return "N'" + doubled(text, '\'') + "'";
}

} // namespace Quoting
