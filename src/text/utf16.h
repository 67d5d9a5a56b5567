#pragma once

#include <string>
#include <string_view>

// The one place where the program's UTF-8 meets the UTF-16 of the wide
// system calls (ODBC's SQLWCHAR, Windows' wchar_t).
namespace Utf16 {

// Throws std::invalid_argument for bytes that are not UTF-8: a statement,
// a password or a path must never reach the other side altered.
std::u16string fromUtf8(std::string_view utf8);

// A broken surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view utf16);

} // namespace Utf16
