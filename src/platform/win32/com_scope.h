#pragma once

#include "platform/win32/windows_api.h"

#include <objbase.h>

namespace Win32 {

// COM on this thread for as long as the scope lasts, apartment-threaded as
// the shell's dialogs and handlers want it. A thread that already has COM
// in another model keeps it (the shell then still works, more slowly).
class ComScope final {
public:
    ComScope() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

} // namespace Win32
