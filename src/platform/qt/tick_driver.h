#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

class Timer;

// Drives the model's timer: while it is enabled, one tick per interval,
// each falling just after a whole second of the wall clock so that a tick
// reads the second it is meant for. A tick arrives even while a modal box
// opened by an earlier tick is still open.
class TickDriver final : public QObject {
public:
    // How far past the whole second a tick is aimed.
    static constexpr std::int64_t kOffsetMs = 5;

    TickDriver(Timer& timer, std::function<void()> onTick, QObject* parent = nullptr);

    // Milliseconds from now (wall clock, ms since the epoch) to the next tick:
    // kOffsetMs past a whole interval, never in the second of the previous
    // tick again.
    static std::int64_t delayToNextTick(std::int64_t nowMs, std::optional<std::int64_t> previousTickSecond,
                                        std::int64_t intervalMs);

    bool running() const { return m_timer.isActive(); }

private:
    void follow();
    void arm();
    void fire();

    Timer& m_model;
    std::function<void()> m_onTick;
    QTimer m_timer;
    std::optional<std::int64_t> m_previousTickSecond;
};
