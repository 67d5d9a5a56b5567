#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

class Timer;

// Drives the model's timer: while it is enabled, one tick per interval,
// each falling just after a whole second of the wall clock (TickSchedule).
// A tick arrives even while a modal box opened by an earlier tick is still
// open.
class TickDriver final : public QObject {
public:
    TickDriver(Timer& timer, std::function<void()> onTick, QObject* parent = nullptr);

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
