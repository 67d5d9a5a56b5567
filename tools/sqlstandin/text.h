#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Text helpers. Inside the stand-in every string is UTF-8; the wire carries
// UTF-16LE (NVARCHAR) and, for VARCHAR data, the server code page 1252.
namespace sqlstandin::text {

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);
std::string utf16leToUtf8(const std::uint8_t* bytes, std::size_t byteCount);
std::string cp1252ToUtf8(const std::uint8_t* bytes, std::size_t byteCount);

// What a non-Unicode literal keeps under a code page 1252 collation:
// characters the code page lacks become '?', as on the real server.
std::string narrowToCodePage(std::string_view utf8);

// Length in UTF-16 code units, the unit SQL Server counts in.
std::size_t utf16Length(std::string_view utf8);
std::string utf16Prefix(std::string_view utf8, std::size_t units);

// Comparison key under a case-insensitive, accent-sensitive collation:
// letter case and trailing blanks do not count.
std::string collationKey(std::string_view utf8);
bool sameName(std::string_view a, std::string_view b);

// Letter case folded as above, nothing trimmed: how Windows compares file
// and folder names.
std::string caseFolded(std::string_view utf8);

bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace sqlstandin::text
