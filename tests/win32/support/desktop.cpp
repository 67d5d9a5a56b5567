#include "desktop.h"

#include <random>

namespace ondrel::win32test {

std::wstring windowText(HWND window)
{
    wchar_t text[1024] = {};
    // WM_GETTEXT reaches another process's windows.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::wstring windowClass(HWND window)
{
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

DWORD processOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

bool runHostProgram(const std::wstring& commandLine)
{
    // Wine cannot wait for a process of the host: the handle it gives is
    // signalled at once. The shell leaves a file behind when it is done.
    // Wine's process numbers are its own: another build's road has the same.
    static std::random_device random;
    const std::wstring done = L"/tmp/ondrel-host-" + std::to_wstring(random()) + std::to_wstring(random());
    std::wstring line = L"/bin/sh -c \"" + commandLine + L"; : >" + done + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::wstring doneHere = L"Z:" + done;
    const bool ended = waitFor([&] { return GetFileAttributesW(doneHere.c_str()) != INVALID_FILE_ATTRIBUTES; },
                               std::chrono::seconds(20));
    DeleteFileW(doneHere.c_str());
    return ended;
}

std::vector<HWND> dockedTrayIcons()
{
    std::vector<HWND> icons;
    // A docked icon lives inside a stand-in for the tray's X window.
    for (HWND foreign = FindWindowExW(nullptr, nullptr, L"__wine_x11_foreign_window", nullptr); foreign;
         foreign = FindWindowExW(nullptr, foreign, L"__wine_x11_foreign_window", nullptr)) {
        EnumChildWindows(
            foreign,
            [](HWND child, LPARAM found) {
                if (windowClass(child) == L"__winex11_tray_icon" && IsWindowVisible(child))
                    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&icons));
    }
    return icons;
}

namespace {

void xdotool(const std::wstring& arguments)
{
    runHostProgram(L"/usr/bin/xdotool " + arguments);
}

// Screen coordinates: the X window Wine names for a docked icon need not
// be the one the tray embedded.
std::wstring at(HWND window, POINT point)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return L"mousemove " + std::to_wstring(rect.left + point.x) + L" " + std::to_wstring(rect.top + point.y);
}

} // namespace

void doubleClick(HWND window, POINT point)
{
    xdotool(at(window, point) + L" click --repeat 2 --delay 120 1");
}

void click(HWND window, POINT point, int button)
{
    xdotool(at(window, point) + L" click " + std::to_wstring(button));
}

void clickOnScreen(POINT point, int button)
{
    xdotool(L"mousemove " + std::to_wstring(point.x) + L" " + std::to_wstring(point.y) + L" click "
            + std::to_wstring(button));
}

void moveMouse(POINT onScreen)
{
    xdotool(L"mousemove " + std::to_wstring(onScreen.x) + L" " + std::to_wstring(onScreen.y));
}

std::vector<HWND> popupMenus(DWORD process)
{
    std::vector<HWND> menus;
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
        if (processOf(menu) == process && IsWindowVisible(menu))
            menus.push_back(menu);
    }
    return menus;
}

} // namespace ondrel::win32test
