#pragma once

#include <string>
#include <utility>

#include "app/view/guarded.h"
#include "platform/win32/windows_api.h"

namespace Win32 {

// A model call's failure goes to the debugger's output.
inline void logToDebugger(const std::string& text)
{
    ::OutputDebugStringA(("ondrel: " + text + "\n").c_str());
}

// Runs a model handler from a window procedure, its failure logged.
template <typename Handler>
void runGuarded(const char* what, Handler&& handler) noexcept
{
    ::runGuarded(what, std::forward<Handler>(handler), logToDebugger);
}

} // namespace Win32
