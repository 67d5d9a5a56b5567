#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Paths are UTF-8 text in the program and in its tests. On Windows a
// std::filesystem::path made from or turned into a narrow string reads it
// in the ANSI code page instead: these two convert as UTF-8 everywhere.
inline std::filesystem::path u8path(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
