// How both views hand the operator's input to the model: under the guard,
// a failure written to the view's log, and a stateful control rendered
// again after its click whatever the model made of it.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/view/control_relay.h"

namespace {

std::vector<std::string> logged;

void logLine(const std::string& text)
{
    logged.push_back(text);
}

// A control whose click handler fails as the test says.
class FailingControl final : public Control {
public:
    FailingControl() : Control("Check1", ControlKind::CheckBox, "锁", {}) {}
    void click() override
    {
        ++clicks;
        if (failure == 1)
            throw std::runtime_error("no server");
        if (failure == 2)
            throw 42;
    }
    int failure = 0;
    int clicks = 0;
};

class Relaying : public ::testing::Test {
protected:
    Relaying() { logged.clear(); }

    std::vector<const Control*> rendered;
    ControlRelay relay{logLine, [this](const Control& shown) { rendered.push_back(&shown); }};
    FailingControl control;
};

TEST_F(Relaying, rendersAStatefulControlAgainAfterItsClickEvenWhenTheClickFailed)
{
    relay.clickAndRender(control);
    control.failure = 1;
    relay.clickAndRender(control);
    EXPECT_EQ(control.clicks, 2);
    EXPECT_EQ(rendered, (std::vector<const Control*>{&control, &control}));
    EXPECT_EQ(logged, std::vector<std::string>{"click failed: no server"});
}

TEST_F(Relaying, aPlainClickRendersNothingAndAnyFailureIsLogged)
{
    control.failure = 2;
    relay.click(control);
    EXPECT_TRUE(rendered.empty());
    EXPECT_EQ(logged, std::vector<std::string>{"click failed"});
}

TEST_F(Relaying, typingAndChoosingReachTheModel)
{
    TextBox text("Text1", "127.0.0.1", {});
    relay.typed(text, "10.0.0.2");
    EXPECT_EQ(text.text(), "10.0.0.2");

    ComboBox combo("Combo1", {});
    combo.addItem("sales");
    combo.addItem("stock");
    relay.chosen(combo, 1);
    EXPECT_EQ(combo.text(), "stock");
    relay.typed(combo, "hr");
    EXPECT_EQ(combo.text(), "hr");
    EXPECT_TRUE(logged.empty());
}

} // namespace
