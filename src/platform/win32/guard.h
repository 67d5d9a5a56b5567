#pragma once

#include <exception>
#include <string>
#include <utility>

#include "platform/win32/windows_api.h"

namespace Win32 {

// Runs a model handler from a window procedure. Nothing may unwind through
// the system's frames: a failure the handler did not catch is written to
// the debugger's output and the program goes on.
template <typename Handler>
void runGuarded(const char* what, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ::OutputDebugStringA((std::string("ondrel: ") + what + " failed: " + error.what() + "\n").c_str());
    } catch (...) {
        ::OutputDebugStringA((std::string("ondrel: ") + what + " failed\n").c_str());
    }
}

} // namespace Win32
