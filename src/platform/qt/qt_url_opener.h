#pragma once

#include "platform/url_opener.h"

// The desktop's URL handler (xdg-open on Linux), started detached.
class QtUrlOpener final : public UrlOpener {
public:
    void open(const std::string& address) override;
};
