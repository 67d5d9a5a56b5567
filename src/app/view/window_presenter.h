#pragma once

#include <memory>
#include <optional>

#include "app/view/centring.h"
#include "app/view/native_window.h"
#include "platform/icon.h"

class Form1;

// Renders the model's window state through a view's native window: what
// changed since it was last rendered and nothing else, so that a change of
// one property does not undo what the operator did to another (a window
// they moved, minimised or restored). Whether the window is shown is
// rendered once the view has started.
class WindowPresenter final {
public:
    // Renders the state the model has now, and every change after.
    WindowPresenter(Form1& form, NativeWindow& native);
    ~WindowPresenter();
    WindowPresenter(const WindowPresenter&) = delete;
    WindowPresenter& operator=(const WindowPresenter&) = delete;

    // Centres the window on its screen, then shows it as the model has it.
    void start();
    bool started() const { return m_started; }
    // Moves the model's window to the middle of its screen.
    void centre();
    // The window stands where the model last put it (the operator has not
    // moved it since, as far as the model knows).
    bool atModelPosition() const;
    // Renders the icon again (at a new dpi).
    void renderIconAgain();

    void render();

private:
    void renderShownState();

    Form1& m_form;
    NativeWindow& m_native;
    bool m_started = false;
    std::optional<Icon> m_icon;
    std::optional<bool> m_inTaskbar;
    std::optional<TwipsPoint> m_position;
    struct ShownState {
        bool visible;
        bool minimized;
        friend bool operator==(const ShownState&, const ShownState&) = default;
    };
    std::optional<ShownState> m_shownState;
    // Lets the model's signal outlive this presenter harmlessly.
    std::shared_ptr<WindowPresenter*> m_self;
};
