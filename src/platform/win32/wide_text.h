#pragma once

#include <string>
#include <string_view>

// The one place where the program's UTF-8 becomes the UTF-16 of the wide
// Windows calls and back; wchar_t is 16 bits wide on Windows.
namespace Wide {

// Throws std::invalid_argument for bytes that are not UTF-8: a path or a
// text must never reach Windows altered.
std::wstring fromUtf8(std::string_view utf8);

// A broken surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view wide);

} // namespace Wide
