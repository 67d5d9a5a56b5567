#pragma once

#include <QtGlobal>
#include <exception>
#include <utility>

// Runs a model handler from the event loop. Nothing may unwind through Qt:
// a failure the handler did not catch is logged and the program goes on.
template <typename Handler>
void runGuarded(const char* what, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        qCritical("%s failed: %s", what, error.what());
    } catch (...) {
        qCritical("%s failed", what);
    }
}
