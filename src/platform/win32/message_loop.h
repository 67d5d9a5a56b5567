#pragma once

#include "platform/stale_input.h"
#include "platform/win32/windows_api.h"

namespace Win32 {

// The program's message loop. Keys move and press as in a dialog (Tab,
// Shift+Tab, Enter, Space, through IsDialogMessageW). Input that waited for
// the window is dropped: clicks and keys made while a handler held the
// window's one thread (a statement runs on it until the server answers)
// would otherwise be replayed once it returns, long after the state they
// were aimed at has changed.
class MessageLoop final {
public:
    explicit MessageLoop(HWND dialog) : m_dialog(dialog) {}

    // Runs until WM_QUIT; its code.
    int run();
    // Handles what is waiting, without waiting for more; false once WM_QUIT
    // has come.
    bool handleWaiting();

    // Whether a message is the operator's input made more than kStaleInputMs
    // before now (both in GetTickCount's milliseconds).
    static bool isStale(const MSG& message, DWORD now);

private:
    void handle(MSG& message);

    HWND m_dialog;
};

} // namespace Win32
