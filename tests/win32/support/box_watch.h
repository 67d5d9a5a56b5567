#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Message boxes of this process, read back and answered through Win32
// calls from a thread of their own, while the program's thread waits in
// the box's modal loop.
namespace ondrel::win32test {

struct SeenBox {
    std::wstring title;
    std::wstring text;
    std::vector<std::wstring> buttons;
    bool hasIcon = false;
    HWND owner = nullptr;
};

// Reads an open "#32770" box.
SeenBox readBox(HWND box);

// This process's open message box of that title, or nothing.
HWND findBox(const std::wstring& title, DWORD process = GetCurrentProcessId());

// Watches for boxes of this process: each one found is read, handed to the
// callback (on the watching thread) and closed with its OK button, until
// the watch ends.
class BoxWatch final {
public:
    explicit BoxWatch(std::function<void(const SeenBox&)> onBox, DWORD process = GetCurrentProcessId());
    ~BoxWatch();
    BoxWatch(const BoxWatch&) = delete;
    BoxWatch& operator=(const BoxWatch&) = delete;

private:
    std::function<void(const SeenBox&)> m_onBox;
    DWORD m_process;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace ondrel::win32test
