// What of the model's window state both views render, and when: only what
// changed since it was last rendered, the shown state once the view has
// started, the window centred on its screen at the start.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/view/window_presenter.h"
#include "fakes/form_harness.h"

namespace {

// A native window that records each call, one line each.
class RecordingWindow final : public NativeWindow {
public:
    void setTitle(const std::string& caption) override { title = caption; }
    void setIcon(Icon icon) override { calls.push_back("icon " + std::to_string(static_cast<int>(icon))); }
    bool setTaskbarEntry(bool inTaskbar) override
    {
        calls.push_back(inTaskbar ? "taskbar on" : "taskbar off");
        return hidesForTaskbar;
    }
    void moveTo(TwipsPoint outer) override
    {
        calls.push_back("move " + std::to_string(static_cast<int>(outer.left)) + ","
                        + std::to_string(static_cast<int>(outer.top)));
    }
    void hide() override { calls.push_back("hide"); }
    void minimise() override { calls.push_back("minimise"); }
    void showInFront() override { calls.push_back("show"); }
    std::optional<Sizes> sizes() const override { return screenKnown ? std::optional<Sizes>(kSizes) : std::nullopt; }

    // A 1280 × 1024 screen at 15 twips a pixel; a window of 475 × 273 pixels.
    static constexpr Sizes kSizes{{1280 * 15, 1024 * 15}, {475 * 15, 273 * 15}};

    std::vector<std::string> calls;
    std::string title;
    bool hidesForTaskbar = false;
    bool screenKnown = true;

    std::vector<std::string> taken()
    {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }
};

using Calls = std::vector<std::string>;

class Presenting : public ::testing::Test {
protected:
    FormHarness h;
    Form1& form = h.form;
    RecordingWindow native;
};

TEST_F(Presenting, rendersEverythingButTheShownStateUntilStarted)
{
    form.setIcon(Icon::Idle);
    WindowPresenter presenter(form, native);
    EXPECT_EQ(native.title, Form1::idleTitle());
    EXPECT_EQ(native.taken(), (Calls{"icon 1", "taskbar on", "move 0,0"}));
    form.Hide();
    form.Show();
    EXPECT_TRUE(native.taken().empty());

    presenter.start();
    // (1280 - 475) / 2 and (1024 - 273) / 2 pixels of 15 twips.
    EXPECT_EQ(form.left(), 6037.5f);
    EXPECT_EQ(form.top(), 5632.5f);
    EXPECT_EQ(native.taken(), (Calls{"move 6037,5632", "show"}));
    EXPECT_TRUE(presenter.started());
    EXPECT_TRUE(presenter.atModelPosition());
}

TEST_F(Presenting, rendersOnlyWhatChanged)
{
    WindowPresenter presenter(form, native);
    presenter.start();
    native.taken();

    form.setCaption(Form1::runningTitle());
    EXPECT_EQ(native.title, Form1::runningTitle());
    EXPECT_TRUE(native.taken().empty());

    form.setIcon(Icon::Running);
    EXPECT_EQ(native.taken(), Calls{"icon 2"});
    form.Move(form.left(), form.top());
    EXPECT_TRUE(native.taken().empty()) << "the same place again moves nothing";
    form.Move(100, 200);
    EXPECT_EQ(native.taken(), Calls{"move 100,200"});

    presenter.renderIconAgain();
    EXPECT_EQ(native.taken(), Calls{"icon 2"});
}

// Into the tray where there is one, minimised to the taskbar where there
// is none; "显示窗口" brings the window back in front.
TEST_F(Presenting, rendersTheWindowHiddenMinimisedAndShown)
{
    WindowPresenter presenter(form, native);
    presenter.start();
    native.taken();

    form.Hide();
    EXPECT_EQ(native.taken(), Calls{"hide"});
    form.Show();
    EXPECT_EQ(native.taken(), Calls{"show"});

    h.tray.available = false;
    form.Hide();
    EXPECT_EQ(native.taken(), Calls{"minimise"});
    form.RestoredFromTaskbar();
    EXPECT_EQ(native.taken(), Calls{"show"});
}

// A run's tray icon takes the window off the taskbar; a native window that
// hides the window to do so has it shown again as the model has it.
TEST_F(Presenting, leavingTheTaskbarShowsTheWindowAgain)
{
    WindowPresenter presenter(form, native);
    presenter.start();
    native.taken();

    native.hidesForTaskbar = true;
    form.iconm();
    // The model centres by its window-system service (a 1920 × 1080 screen).
    EXPECT_EQ(native.taken(), (Calls{"move 10972,6052", "taskbar off", "show"}));

    native.hidesForTaskbar = false;
    form.Command5_Click(); // "托盘": hidden, and off the taskbar already
    EXPECT_EQ(native.taken(), Calls{"hide"});
}

TEST_F(Presenting, anUnknownScreenLeavesThePositionAsItIs)
{
    native.screenKnown = false;
    form.Move(300, 400);
    WindowPresenter presenter(form, native);
    presenter.start();
    EXPECT_EQ(form.left(), 300);
    EXPECT_EQ(form.top(), 400);
}

TEST_F(Presenting, knowsWhetherTheWindowStandsWhereTheModelPutIt)
{
    WindowPresenter presenter(form, native);
    presenter.start();
    EXPECT_TRUE(presenter.atModelPosition());
    presenter.centre();
    EXPECT_TRUE(presenter.atModelPosition());
}

TEST(PresenterLifetime, theModelMayOutliveIt)
{
    FormHarness h;
    RecordingWindow native;
    {
        WindowPresenter presenter(h.form, native);
    }
    native.taken();
    h.form.Move(10, 20);
    EXPECT_TRUE(native.taken().empty());
}

} // namespace
