#pragma once

#include "platform/icon.h"

// A hidden picture box holding one of the icons.
class Picture final {
public:
    explicit Picture(Icon icon) : m_icon(icon) {}
    Icon picture() const { return m_icon; }

private:
    Icon m_icon;
};
