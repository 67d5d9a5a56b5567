#pragma once

#include "platform/url_opener.h"

// Hands the address to the browser Windows has for it (ShellExecuteW),
// without waiting for the browser.
class Win32UrlOpener final : public UrlOpener {
public:
    void open(const std::string& address) override;
};
