#pragma once

#include "app/control.h"

// A text field. A password character, when set, is drawn for every character.
class TextBox final : public Control {
public:
    TextBox(std::string name, std::string text, TwipsRect rect, char passwordChar = '\0',
            const Control* container = nullptr)
        : Control(std::move(name), ControlKind::TextBox, std::move(text), rect, container)
        , m_passwordChar(passwordChar)
    {
    }

    const std::string& text() const { return caption(); }
    void setText(std::string text) { setCaption(std::move(text)); }
    char passwordChar() const { return m_passwordChar; }

private:
    char m_passwordChar;
};
