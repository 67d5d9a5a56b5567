#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"

class TextEncoding;

// The settings file's bytes: 16 + N lines of GBK text, CR LF after each,
// identified by their position. Knows neither the window nor files.
class SettingsCodec final {
public:
    // The first line the reader could not use: reading stopped there.
    struct BadLine {
        int number = 0;
        std::string what;
    };
    struct Read {
        Settings settings;
        std::optional<BadLine> badLine;
    };
    struct Written {
        std::string bytes;
        // The fields that held text GBK cannot hold, now "?" in the bytes.
        std::vector<std::string> lossyFields;
    };

    explicit SettingsCodec(const TextEncoding& encoding) : m_encoding(encoding) {}

    // Reads as the program always has: a read at the end of the file keeps
    // what the line buffer held, an empty line is never applied, and a count
    // or option line that means nothing ends the reading.
    Read read(std::string_view bytes) const;
    // Every field must be present.
    Written write(const Settings& settings) const;

private:
    const TextEncoding& m_encoding;
};
