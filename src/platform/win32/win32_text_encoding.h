#pragma once

#include <string>

#include "platform/text_encoding.h"

// GBK as Windows' code page 936. Decodes one character at a time, so that
// each byte that is not GBK becomes one U+FFFD as on Linux, and encodes
// without best-fit substitutes ("ä" never becomes "a").
class Win32TextEncoding final : public TextEncoding {
public:
    // "GBK" is code page 936, as is "936"; another name serves tests of a
    // system that lacks the code page.
    explicit Win32TextEncoding(const std::string& codePage = "GBK");

    std::string missingConverter() const override;
    std::string utf8ToGbk(const std::string& utf8, bool* lossless = nullptr) const override;
    std::string gbkToUtf8(const std::string& gbk) const override;

private:
    std::string m_name;
    unsigned m_codePage;
};
