#pragma once

#include <string>

// Hands a web address to the desktop's browser without waiting for it.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Failures are the browser's business; nothing is reported back.
    virtual void open(const std::string& address) = 0;
};
