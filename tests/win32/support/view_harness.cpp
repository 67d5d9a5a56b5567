#include "view_harness.h"

#include <algorithm>

namespace ondrel::win32test {

std::wstring classOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool saveScreenshot(HWND window, const std::wstring& path)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_ERASE);
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as BMP files store it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* pixels = nullptr;
    HDC screen = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &pixels, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != 0;
    SelectObject(memory, old);
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    bool written = false;
    const HANDLE out =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (copied && out != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        written = WriteFile(out, &file, sizeof file, &done, nullptr)
            && WriteFile(out, &header, sizeof header, &done, nullptr)
            && WriteFile(out, pixels, header.biSizeImage, &done, nullptr);
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return written;
}

HWND ViewHarness::child(const char* name) const
{
    const Control* control = h.form.findControl(name);
    return control ? window.windowFor(*control).handle() : nullptr;
}

HWND ViewHarness::comboEdit() const
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(child("Combo1"), &info);
    return info.hwndItem;
}

std::string ViewHarness::textOf(HWND control) const
{
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1024);
    return utf8(text);
}

std::string ViewHarness::comboItem(int index) const
{
    wchar_t text[1024] = {};
    SendMessageW(child("Combo1"), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return utf8(text);
}

LOGFONTW ViewHarness::fontOf(const char* name) const
{
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(child(name), WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof font, &font);
    return font;
}

RECT ViewHarness::inClientArea(HWND control) const
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ViewHarness::clientSize() const
{
    RECT client{};
    GetClientRect(window.handle(), &client);
    return {client.right - client.left, client.bottom - client.top};
}

std::string ViewHarness::focusedControl() const
{
    const HWND focus = GetFocus();
    for (const Control* control : h.form.controls()) {
        const HWND handle = window.windowFor(*control).handle();
        if (handle && (handle == focus || IsChild(handle, focus)))
            return control->name();
    }
    return {};
}

int ViewHarness::longestInkRun(HWND control) const
{
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    RECT area{};
    GetClientRect(control, &area);
    HDC dc = GetDC(control);
    int longest = 0;
    for (int y = 0; y < area.bottom; ++y) {
        int run = 0;
        for (int x = 0; x < area.right; ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            const bool dark = GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 3 * 128;
            run = dark ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    ReleaseDC(control, dc);
    return longest;
}

void ViewHarness::pressTab()
{
    MSG message{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    if (!IsDialogMessageW(window.handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    drainMessages();
}

void ViewHarness::type(HWND control, const std::wstring& text)
{
    for (const wchar_t c : text)
        SendMessageW(control, WM_CHAR, c, 1);
    drainMessages();
}

void ViewHarness::key(HWND control, UINT virtualKey)
{
    SendMessageW(control, WM_KEYDOWN, virtualKey, 1);
    SendMessageW(control, WM_KEYUP, virtualKey, 1 | (3u << 30));
    drainMessages();
}

void ViewHarness::clickLabel(const char* name)
{
    const HWND label = child(name);
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    drainMessages();
}

void ViewHarness::changeDpi(UINT dpi)
{
    RECT frame{};
    GetWindowRect(window.handle(), &frame);
    // Windows suggests the rectangle scaled about the window's corner.
    const UINT old = window.dpi();
    RECT suggested{frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, dpi, old),
                   frame.top + MulDiv(frame.bottom - frame.top, dpi, old)};
    SendMessageW(window.handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    drainMessages();
}

bool ViewHarness::quitPosted()
{
    drainMessages();
    return m_quit;
}

void ViewHarness::drainMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace ondrel::win32test
