#pragma once

#include <string>

// The two halves of a POSIX path around its last "/".
namespace PosixPath {

// The folder that holds the path: "." for a bare name, "/" for the root's entries.
inline std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

inline std::string nameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace PosixPath
