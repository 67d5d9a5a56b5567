#pragma once

#include <functional>
#include <string>
#include <utility>

#include "app/combo_box.h"
#include "app/control.h"
#include "app/text_box.h"
#include "app/view/guarded.h"

// The operator's input to a control, as either view hands it to the model:
// under the guard, with the view's log for a failure.
class ControlRelay final {
public:
    using Render = std::function<void(const Control&)>;

    ControlRelay(FailureLog log, Render render) : m_log(log), m_render(std::move(render)) {}

    void click(Control& control) const
    {
        runGuarded(
            "click", [&] { control.click(); }, m_log);
    }
    // A control that shows a state of its own (an option button, a check
    // box): the model decides what a click does and may refuse it, so the
    // control is rendered as the model has it either way.
    void clickAndRender(Control& control) const
    {
        click(control);
        m_render(control);
    }
    void typed(TextBox& textBox, const std::string& text) const
    {
        runGuarded(
            "typing", [&] { textBox.setText(text); }, m_log);
    }
    void typed(ComboBox& combo, const std::string& text) const
    {
        runGuarded(
            "typing", [&] { combo.typeText(text); }, m_log);
    }
    void chosen(ComboBox& combo, int index) const
    {
        runGuarded(
            "choosing", [&] { combo.setListIndex(index); }, m_log);
    }

private:
    FailureLog m_log;
    Render m_render;
};
