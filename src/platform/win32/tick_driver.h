#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "app/view/tick_pacer.h"
#include "platform/win32/window_procedure.h"

class Timer;

namespace Win32 {

// Drives the model's timer with a window timer of its own (on a
// message-only window; TickPacer keeps the schedule). Timer messages are
// dispatched by every message loop of the thread, MessageBoxW's included,
// so a tick comes even while a box opened by an earlier tick is still open.
class TickDriver final : private MessageTarget, private OneShotTimer {
public:
    TickDriver(::Timer& timer, std::function<void()> onTick);
    ~TickDriver();
    TickDriver(const TickDriver&) = delete;
    TickDriver& operator=(const TickDriver&) = delete;

    bool running() const { return m_pacer->armed(); }

    // The wall clock: milliseconds since 1970-01-01 UTC.
    static std::int64_t nowMs();

private:
    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool start(std::int64_t delayMs) override;
    void stop() override;

    HWND m_window = nullptr;
    // Made once the window exists: an enabled timer arms it at once.
    std::optional<TickPacer> m_pacer;
};

} // namespace Win32
