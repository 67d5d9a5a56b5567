#pragma once

#include <vector>

#include "app/control.h"

// An option button of a group: selecting one deselects the others;
// deselecting the selected one leaves none selected.
class OptionButton final : public Control {
public:
    OptionButton(std::string name, std::string caption, TwipsRect rect, bool value);

    void joinGroup(OptionButton& other);
    bool value() const { return m_value; }
    void setValue(bool value);
    void click() override;

private:
    bool m_value;
    std::vector<OptionButton*> m_group;
};
