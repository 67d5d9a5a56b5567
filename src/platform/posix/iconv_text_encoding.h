#pragma once

#include <iconv.h>

#include <mutex>
#include <string>

#include "platform/text_encoding.h"

// GBK through the C library's iconv. Both converters are opened once, when
// the service is made; a system without them (a C library built or
// installed without its GBK module) is reported, never thrown at.
class IconvTextEncoding final : public TextEncoding {
public:
    // The code page is GBK; another name serves tests of a missing one.
    explicit IconvTextEncoding(std::string codePage = "GBK");
    ~IconvTextEncoding() override;
    IconvTextEncoding(const IconvTextEncoding&) = delete;
    IconvTextEncoding& operator=(const IconvTextEncoding&) = delete;

    std::string missingConverter() const override;
    std::string utf8ToGbk(const std::string& utf8, bool* lossless = nullptr) const override;
    std::string gbkToUtf8(const std::string& gbk) const override;

private:
    std::string m_codePage;
    iconv_t m_toGbk;
    iconv_t m_fromGbk;
    // A converter keeps state between calls: one caller at a time.
    mutable std::mutex m_lock;
};
