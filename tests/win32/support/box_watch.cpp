#include "box_watch.h"

#include <chrono>

namespace ondrel::win32test {

namespace {

std::wstring textOf(HWND window)
{
    wchar_t text[1024] = {};
    // WM_GETTEXT reaches another thread's and another process's controls.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::wstring classOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

} // namespace

SeenBox readBox(HWND box)
{
    SeenBox seen;
    seen.title = textOf(box);
    seen.owner = GetWindow(box, GW_OWNER);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring name = classOf(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (name == L"Button")
            seen.buttons.push_back(textOf(child));
        else if (name == L"Static" && (style & SS_TYPEMASK) == SS_ICON)
            seen.hasIcon = seen.hasIcon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
        else if (name == L"Static" && !textOf(child).empty())
            seen.text = textOf(child);
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
            if (owner != s.process || classOf(window) != L"#32770" || !IsWindowVisible(window)
                || (!s.title.empty() && textOf(window) != s.title))
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
