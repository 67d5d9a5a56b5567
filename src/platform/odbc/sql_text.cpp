#include "platform/odbc/sql_text.h"

#include "text/utf16.h"

namespace SqlText {

std::vector<SQLWCHAR> wide(const std::string& utf8)
{
    const std::u16string units = Utf16::fromUtf8(utf8);
    return {units.begin(), units.end()};
}

std::string utf8(const SQLWCHAR* text, std::size_t length)
{
    return Utf16::toUtf8(std::u16string(text, text + length));
}

} // namespace SqlText
