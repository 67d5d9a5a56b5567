#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/win32/windows_api.h"

class Timer;

namespace Win32 {

// Drives the model's timer with a window timer of its own (on a
// message-only window): while the model's timer is enabled, one tick per
// interval, each just after a whole second of the wall clock
// (TickSchedule). Timer messages are dispatched by every message loop of
// the thread, MessageBoxW's included, so a tick comes even while a box
// opened by an earlier tick is still open.
class TickDriver final {
public:
    TickDriver(::Timer& timer, std::function<void()> onTick);
    ~TickDriver();
    TickDriver(const TickDriver&) = delete;
    TickDriver& operator=(const TickDriver&) = delete;

    bool running() const { return m_armed; }

    // The wall clock: milliseconds since 1970-01-01 UTC.
    static std::int64_t nowMs();

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void follow();
    void arm();
    void fire();

    ::Timer& m_model;
    std::function<void()> m_onTick;
    HWND m_window = nullptr;
    bool m_armed = false;
    std::optional<std::int64_t> m_previousTickSecond;
    // Lets the model's change signal outlive this driver harmlessly.
    std::shared_ptr<TickDriver*> m_self;
};

} // namespace Win32
