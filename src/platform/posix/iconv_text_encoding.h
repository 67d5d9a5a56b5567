#pragma once

#include "platform/text_encoding.h"

// GBK through the C library's iconv.
class IconvTextEncoding final : public TextEncoding {
public:
    std::string utf8ToGbk(const std::string& utf8, bool* lossless = nullptr) const override;
    std::string gbkToUtf8(const std::string& gbk) const override;
};
