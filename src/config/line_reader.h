#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reads a settings file line by line as the program always has: a line ends
// at CR LF or at a lone CR, the terminator is not part of it, and a lone LF
// is an ordinary character.
class LineReader final {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}

    bool atEnd() const { return m_position >= m_bytes.size(); }
    // The next line; at the end, empty text.
    std::string next();

private:
    std::string_view m_bytes;
    std::size_t m_position = 0;
};
