#include "app/option_button.h"

OptionButton::OptionButton(std::string name, std::string caption, TwipsRect rect, bool value)
    : Control(std::move(name), ControlKind::OptionButton, std::move(caption), rect)
    , m_value(value)
{
}

void OptionButton::joinGroup(OptionButton& other)
{
    m_group.push_back(&other);
    other.m_group.push_back(this);
}

void OptionButton::setValue(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    if (value) {
        for (OptionButton* other : m_group)
            other->setValue(false);
    }
    notify();
}

void OptionButton::click()
{
    setValue(true);
    Control::click();
}
