#include "platform/win32/message_loop.h"

namespace Win32 {

namespace {

bool isOperatorInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        || (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

} // namespace

bool MessageLoop::isStale(const MSG& message, DWORD now)
{
    // GetTickCount's milliseconds wrap every 49 days: the difference does not.
    return isOperatorInput(message.message) && now - message.time > static_cast<DWORD>(kStaleInputMs);
}

int MessageLoop::run()
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        handle(message);
    return static_cast<int>(message.wParam);
}

bool MessageLoop::handleWaiting()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        handle(message);
    }
    return true;
}

void MessageLoop::handle(MSG& message)
{
    if (isStale(message, ::GetTickCount()))
        return;
    if (m_dialog && ::IsWindow(m_dialog) && ::IsDialogMessageW(m_dialog, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

} // namespace Win32
