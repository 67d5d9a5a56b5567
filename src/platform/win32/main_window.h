#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/view/control_relay.h"
#include "app/view/native_window.h"
#include "app/view/window_presenter.h"
#include "platform/win32/control_kinds.h"
#include "platform/win32/controls/window.h"
#include "platform/win32/view_fonts.h"
#include "platform/win32/window_icons.h"
#include "platform/win32/window_procedure.h"

class ComboBox;
class Control;
class Form1;

namespace Win32 {

// The window on the screen. It renders the model's controls as native child
// controls of one top-level window (a frame is drawn as a group box and
// parents nothing: a group box would swallow its children's
// notifications), turns the operator's input into the model's events, and
// ends the program when the model says so. Every position is the model's
// twips at the window's dpi.
class MainWindow final : private MessageTarget, private ControlHost {
public:
    static constexpr const wchar_t* kClassName = L"OndrelForm1";
    // A control's identifier: this plus its position in Form1::controls().
    static constexpr int kFirstControlId = 100;
    static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

    explicit MainWindow(Form1& form);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return m_window; }
    UINT dpi() const { return m_dpi; }

    // Centres the window on its screen, shows it and gives the first control
    // of the focus order the keyboard focus.
    void start();

    // The native control that renders a model control.
    Window windowFor(const Control& control) const;

    // Explorer's taskbar is (again) there, with a notification area that
    // knows no icon of ours.
    void onTaskbarCreated(std::function<void()> handler) { m_taskbarCreated = std::move(handler); }

private:
    struct View {
        Control* model;
        Window window;
    };

    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void onWindowGone() override { m_window = nullptr; }
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void buildControls();
    RECT pixelRect(const Control& control) const;
    void layOut();
    void fitClientArea(int left, int top);

    void render(const Control& control);
    void renderCombo(const ::ComboBox& combo, bool refill);
    void renderOptionTabStops() override;

    void onCommand(int id, int code);
    void onTrayEvent(LPARAM report);
    void onSize(WPARAM kind);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    bool onDrawItem(const DRAWITEMSTRUCT& item);
    bool onSetCursor(HWND over);
    void unload();
    void onEnded();

    View* viewFor(int id);
    const View* viewFor(const Control& control) const;

    // The window's side of WindowPresenter.
    class Native final : public NativeWindow {
    public:
        explicit Native(MainWindow& window) : m_window(window) {}

        void setTitle(const std::string& caption) override;
        void setIcon(Icon icon) override;
        bool setTaskbarEntry(bool inTaskbar) override;
        void moveTo(TwipsPoint outer) override;
        void hide() override;
        void minimise() override;
        void showInFront() override;
        std::optional<Sizes> sizes() const override;

    private:
        MainWindow& m_window;
    };

    Form1& m_form;
    HWND m_window = nullptr;
    UINT m_dpi = 96;
    std::unique_ptr<ViewFonts> m_fonts;
    std::vector<View> m_views; // in the order of Form1::controls()
    WindowIcons m_icons;
    HWND m_lastFocus = nullptr;
    std::function<void()> m_taskbarCreated;
    int m_rendering = 0;
    bool m_minimized = false;
    ControlRelay m_relay;
    Native m_native{*this};
    // Made once the window and its controls exist.
    std::optional<WindowPresenter> m_presenter;
    // Lets the model's signals outlive this window harmlessly.
    std::shared_ptr<MainWindow*> m_self;
};

} // namespace Win32
