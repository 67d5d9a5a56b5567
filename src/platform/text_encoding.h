#pragma once

#include <string>

// The settings file and the tray tip are in the ANSI code page of the
// Simplified-Chinese systems the program is made for: GBK (code page 936).
// Everything else in the program is UTF-8.
class TextEncoding {
public:
    virtual ~TextEncoding() = default;
    // Empty when both conversions work; otherwise names the converter the
    // system could not open. The conversions never throw: without their
    // converter they keep ASCII and replace everything else as below.
    virtual std::string missingConverter() const = 0;
    // Characters GBK cannot hold become "?"; lossless tells whether any did.
    virtual std::string utf8ToGbk(const std::string& utf8, bool* lossless = nullptr) const = 0;
    // Bytes that are not GBK become U+FFFD, one for each such byte.
    virtual std::string gbkToUtf8(const std::string& gbk) const = 0;
};
