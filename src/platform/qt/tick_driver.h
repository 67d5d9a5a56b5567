#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

#include "app/view/tick_pacer.h"

class Timer;

// Drives the model's timer with a QTimer (TickPacer keeps the schedule). A
// tick arrives even while a modal box opened by an earlier tick is still
// open.
class TickDriver final : public QObject, private OneShotTimer {
public:
    TickDriver(Timer& timer, std::function<void()> onTick, QObject* parent = nullptr);

    bool running() const { return m_pacer->armed(); }

private:
    bool start(std::int64_t delayMs) override;
    void stop() override;

    QTimer m_timer;
    // Made once the timer is set up: an enabled timer arms it at once.
    std::optional<TickPacer> m_pacer;
};
