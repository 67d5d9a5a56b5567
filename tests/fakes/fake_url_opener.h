#pragma once

#include <string>
#include <vector>

#include "platform/url_opener.h"

class FakeUrlOpener final : public UrlOpener {
public:
    void open(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};
