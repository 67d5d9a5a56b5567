#pragma once

#include <string>
#include <string_view>

// A path as the wide file functions take it.
namespace ApiPath {

// The UTF-8 path in UTF-16; a path too long for the classic limit (MAX_PATH)
// in the "\\?\" form of its full path, which every Windows 10 file function
// takes whatever the system's long-path setting. Throws
// std::invalid_argument for bytes that are not UTF-8.
std::wstring of(std::string_view utf8);
std::wstring ofWide(std::wstring path);

} // namespace ApiPath
