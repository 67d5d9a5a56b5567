#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

// The road's display seen from a Windows program: the notification area
// Wine docks tray icons into, and the X tool (xdotool) that gives the
// display real mouse input.
namespace ondrel::win32test {

// Waits for the condition, up to the limit; false when it did not come.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(15))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::wstring windowText(HWND window);
std::wstring windowClass(HWND window);
DWORD processOf(HWND window);

// Runs a program of this machine (not a Windows one: Wine starts it as
// itself) and waits until it has ended. Wine reports no exit code for it.
bool runHostProgram(const std::wstring& commandLine);

// The icons Wine has docked into an X notification area (an XEmbed tray
// such as trayer): its own windows embedded in another X client's window.
std::vector<HWND> dockedTrayIcons();

// Real X input through xdotool, as the operator's mouse gives it, at a
// point of a window (its top-left corner 0, 0) or of the screen.
void doubleClick(HWND window, POINT at);
void click(HWND window, POINT at, int button);
void clickOnScreen(POINT at, int button);
void moveMouse(POINT onScreen);

// The visible popup menus (class "#32768") of a process.
std::vector<HWND> popupMenus(DWORD process);

} // namespace ondrel::win32test
