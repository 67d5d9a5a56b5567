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
        SettingsFromFile settings;
        std::optional<BadLine> badLine;
    };
    struct Written {
        std::string bytes;
        // The fields that held text GBK cannot hold, now "?" in the bytes.
        std::vector<std::string> lossyFields;
    };

    explicit SettingsCodec(const TextEncoding& encoding) : m_encoding(encoding) {}

    // Reads line by line: an empty line is never applied; a line that is not
    // there, one that holds a line feed, and a count or option line that
    // means nothing end the reading; the list is taken only with all the
    // names its count promises. A file that starts with the UTF-8 byte-order
    // mark is read as UTF-8, any other as GBK.
    Read read(std::string_view bytes) const;
    Written write(const Settings& settings) const;

private:
    const TextEncoding& m_encoding;
};
