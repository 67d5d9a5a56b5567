#pragma once

#include "platform/url_opener.h"

// No browser is started yet: the links and "升级程序" do nothing.
class Win32UrlOpener final : public UrlOpener {
public:
    void open(const std::string&) override {}
};
