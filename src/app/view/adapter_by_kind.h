#pragma once

#include "app/control.h"

// A view's adapter for each kind of control, one object of each made on
// first use: the one place that goes from a control's kind to the view's
// code for it.
template <typename Adapter, typename Frame, typename Label, typename TextBox, typename CommandButton, typename ComboBox,
          typename OptionButton, typename CheckBox>
const Adapter& adapterByKind(ControlKind kind)
{
    static const Frame frame;
    static const Label label;
    static const TextBox textBox;
    static const CommandButton commandButton;
    static const ComboBox comboBox;
    static const OptionButton optionButton;
    static const CheckBox checkBox;
    switch (kind) {
    case ControlKind::Frame:
        return frame;
    case ControlKind::Label:
        return label;
    case ControlKind::TextBox:
        return textBox;
    case ControlKind::CommandButton:
        return commandButton;
    case ControlKind::ComboBox:
        return comboBox;
    case ControlKind::OptionButton:
        return optionButton;
    case ControlKind::CheckBox:
        return checkBox;
    }
    return frame;
}
