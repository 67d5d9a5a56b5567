#pragma once

#include <string>

// The settings file and the tray tip are in the ANSI code page of the
// Simplified-Chinese systems the program is made for: GBK (code page 936).
// Everything else in the program is UTF-8.
namespace TextEncoding {

// Characters GBK cannot hold become "?"; lossless tells whether any did.
std::string utf8ToGbk(const std::string& utf8, bool* lossless = nullptr);
// Bytes that are not GBK become U+FFFD.
std::string gbkToUtf8(const std::string& gbk);

} // namespace TextEncoding
