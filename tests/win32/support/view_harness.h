#pragma once

#include "platform/win32/windows_api.h"

#include <functional>
#include <ostream>
#include <string>

#include "fakes/form_harness.h"
#include "platform/win32/main_window.h"
#include "wide_text.h"

// Rectangles and sizes compared and printed in the tests' failure output.
inline bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != 0;
}
inline bool operator==(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}
inline void PrintTo(const RECT& r, std::ostream* os)
{
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
inline void PrintTo(const SIZE& s, std::ostream* os)
{
    *os << s.cx << " x " << s.cy;
}

namespace ondrel::win32test {

std::wstring classOf(HWND window);

// Writes what the window shows, frame and all, as a 24-bit BMP file.
bool saveScreenshot(HWND window, const std::wstring& path);

// The Win32 view of a window whose every seam is a test double, read back
// and driven through Win32 calls as another program would.
class ViewHarness final {
public:
    ViewHarness() : window(h.form) {}
    // The view made of a model that something filled first, as Form_Load
    // fills it from the settings file before the program makes its window.
    explicit ViewHarness(const std::function<void(Form1&)>& beforeTheView) : window(prepared(h.form, beforeTheView)) {}
    ~ViewHarness() { drainMessages(); }
    ViewHarness(const ViewHarness&) = delete;
    ViewHarness& operator=(const ViewHarness&) = delete;

    // The native control of a model control, by its name.
    HWND child(const char* name) const;
    HWND comboEdit() const;
    std::string textOf(HWND window) const;
    std::string comboItem(int index) const;
    LOGFONTW fontOf(const char* name) const;
    // A control's rectangle in the window's client area.
    RECT inClientArea(HWND control) const;
    SIZE clientSize() const;
    // The model control that has the keyboard focus (the combo box's edit
    // field counts as the combo box), or empty text.
    std::string focusedControl() const;

    // The longest run of dark pixels in any one row of what the control
    // shows: a drawn underline is one run as long as the text.
    int longestInkRun(HWND control) const;

    // What the keyboard does, through the dialog manager as the program's
    // message loop hands it keys.
    void pressTab();
    void type(HWND control, const std::wstring& text);
    void key(HWND control, UINT virtualKey);
    void clickLabel(const char* name);
    // Windows telling the window it now is on a screen of another dpi.
    void changeDpi(UINT dpi);

    // Dispatches what is waiting; true when the window has ended the
    // message loop.
    bool quitPosted();
    void drainMessages();

    FormHarness h;
    Win32::MainWindow window;

private:
    static Form1& prepared(Form1& form, const std::function<void(Form1&)>& prepare)
    {
        prepare(form);
        return form;
    }

    bool m_quit = false;
};

} // namespace ondrel::win32test
