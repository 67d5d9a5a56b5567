#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fakes/utf8_path.h"

inline std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The same for a path held as the program holds it, in UTF-8.
inline std::string readBytes(const std::string& utf8Path)
{
    return readBytes(u8path(utf8Path));
}

inline void writeBytes(const std::string& utf8Path, const std::string& bytes)
{
    writeBytes(u8path(utf8Path), bytes);
}
