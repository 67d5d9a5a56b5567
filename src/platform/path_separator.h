#pragma once

// The separator the backup paths are built with; the backup folder itself is
// taken as the operator typed or picked it.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether a character separates folders in a path the operator typed or
// picked: Windows takes "/" as well as its own.
inline constexpr bool isPathSeparator(char c)
{
    return c == kPathSeparator || c == '/';
}
