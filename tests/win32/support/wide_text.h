#pragma once

#include <string>
#include <string_view>

// UTF-8 inside the tests, UTF-16 at the Windows API.
namespace ondrel::win32test {

std::string utf8(std::wstring_view text);
std::wstring wide(std::string_view utf8);
// The variable's value, or nothing when it is not set.
std::wstring environmentVariable(const wchar_t* name);

} // namespace ondrel::win32test
