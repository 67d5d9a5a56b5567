#include "box_watch.h"

#include "desktop.h"

#include <chrono>

namespace ondrel::win32test {

SeenBox readBox(HWND box)
{
    SeenBox seen;
    seen.title = windowText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring name = windowClass(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (name == L"Button")
            seen.buttons.push_back(windowText(child));
        else if (name == L"Static" && (style & SS_TYPEMASK) == SS_ICON)
            seen.hasIcon = seen.hasIcon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
        else if (name == L"Static" && !windowText(child).empty())
            seen.text = windowText(child);
    }
    return seen;
}

HWND findBox(const std::wstring& title, DWORD process)
{
    struct Search {
        const std::wstring& title;
        DWORD process;
        HWND found = nullptr;
    } search{title, process};
    EnumWindows(
        [](HWND window, LPARAM context) {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s.process || windowClass(window) != L"#32770" || !IsWindowVisible(window)
                || (!s.title.empty() && windowText(window) != s.title))
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BoxWatch::BoxWatch(std::function<void(const SeenBox&)> onBox, DWORD process)
    : m_onBox(std::move(onBox))
    , m_process(process)
    , m_thread([this] {
        while (!m_stop) {
            if (const HWND box = findBox(L"", m_process)) {
                m_onBox(readBox(box));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                // Gone before the next look, or it would be read twice.
                for (int i = 0; i < 200 && IsWindow(box) && IsWindowVisible(box); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    })
{
}

BoxWatch::~BoxWatch()
{
    m_stop = true;
    m_thread.join();
}

} // namespace ondrel::win32test
