#pragma once

#include <optional>
#include <string>

#include "config/settings.h"

class FileIo;
class TextEncoding;

// The settings file itself: read and written through the codec, the file
// seam and the GBK encoding, with what the operator is to be told. Knows
// nothing of the window, so that a program without one reads the same file.
class SettingsStore final {
public:
    SettingsStore(FileIo& files, const TextEncoding& encoding) : m_files(files), m_encoding(encoding) {}

    struct Loaded {
        // Whether a file was there to read.
        bool found = false;
        // What it gave; nothing at all when it could not be read.
        SettingsFromFile settings;
        // Why not all of it was taken, in words for the operator.
        std::optional<std::string> problem;
    };
    Loaded load(const std::string& path) const;

    struct Saved {
        bool written = false;
        // What the operator is told: the confirmation, what GBK could not
        // hold, or why nothing was written.
        std::string notice;
    };
    Saved save(const std::string& path, const Settings& settings);

private:
    FileIo& m_files;
    const TextEncoding& m_encoding;
};
