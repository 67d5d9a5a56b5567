#pragma once

// The separator the backup paths are built with; the backup folder itself is
// taken as the operator typed or picked it.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
