#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Timer;

// A view's native timer that goes off once: a QTimer, a window timer.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;

    // Goes off once after delayMs, in place of any earlier start; false when
    // the system would not start it.
    virtual bool start(std::int64_t delayMs) = 0;
    virtual void stop() = 0;
};

// Drives the model's timer through a view's one-shot timer: while it is
// enabled, one tick per interval, each just after a whole second of the
// wall clock (TickSchedule). The next tick is armed before a tick runs, so
// that ticks keep coming while a box opened by a tick is still open (its
// nested event loop dispatches them).
class TickPacer final {
public:
    // wallClockMs: milliseconds since 1970-01-01 UTC. onTick runs each tick;
    // it must not throw (the view guards it).
    TickPacer(Timer& timer, OneShotTimer& native, std::function<std::int64_t()> wallClockMs,
              std::function<void()> onTick);
    ~TickPacer();
    TickPacer(const TickPacer&) = delete;
    TickPacer& operator=(const TickPacer&) = delete;

    // Whether the native timer is waiting for the next tick.
    bool armed() const { return m_armed; }

    // The native timer went off.
    void fire();

private:
    void follow();
    void arm();

    Timer& m_model;
    OneShotTimer& m_native;
    std::function<std::int64_t()> m_wallClockMs;
    std::function<void()> m_onTick;
    bool m_armed = false;
    std::optional<std::int64_t> m_previousTickSecond;
    // Lets the model's change signal outlive this pacer harmlessly.
    std::shared_ptr<TickPacer*> m_self;
};
