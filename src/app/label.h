#pragma once

#include "app/control.h"

struct FontSpec {
    std::string family; // empty: the window's default font
    int points = 0;
    bool underline = false;
};

class Label final : public Control {
public:
    Label(std::string name, std::string caption, TwipsRect rect, const Control* container = nullptr, FontSpec font = {})
        : Control(std::move(name), ControlKind::Label, std::move(caption), rect, container)
        , m_font(std::move(font))
    {
    }

    const FontSpec& font() const { return m_font; }

private:
    FontSpec m_font;
};
