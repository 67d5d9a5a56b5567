#pragma once

#include <exception>
#include <string>
#include <utility>

// Where a view writes the failure of a model call: its toolkit's log or the
// debugger's output. The text is "<what> failed: <reason>" without a line end.
using FailureLog = void (*)(const std::string& text);

// Runs a model handler from a view's event loop. Nothing may unwind through
// a toolkit's or the system's frames: a failure the handler did not catch is
// handed to the view's log and the program goes on.
template <typename Handler>
void runGuarded(const char* what, Handler&& handler, FailureLog log) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        log(std::string(what) + " failed: " + error.what());
    } catch (...) {
        log(std::string(what) + " failed");
    }
}
