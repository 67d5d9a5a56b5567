#pragma once

#include "app/control.h"

// A check box: 0 unchecked, 1 checked, 2 greyed. Every change of the value,
// by the operator or by the program, is a click event.
class CheckBox final : public Control {
public:
    CheckBox(std::string name, std::string caption, TwipsRect rect, const Control* container)
        : Control(std::move(name), ControlKind::CheckBox, std::move(caption), rect, container)
    {
    }

    int value() const { return m_value; }
    void setValue(int value)
    {
        if (value == m_value)
            return;
        m_value = value;
        notify();
        clicked.emit();
    }
    // The operator's click toggles between checked and unchecked.
    void click() override { setValue(m_value == 1 ? 0 : 1); }

private:
    int m_value = 0;
};
