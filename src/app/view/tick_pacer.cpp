#include "app/view/tick_pacer.h"

#include <utility>

#include "backup/tick_schedule.h"
#include "app/timer.h"

TickPacer::TickPacer(Timer& timer, OneShotTimer& native, std::function<std::int64_t()> wallClockMs,
                     std::function<void()> onTick)
    : m_model(timer)
    , m_native(native)
    , m_wallClockMs(std::move(wallClockMs))
    , m_onTick(std::move(onTick))
    , m_self(std::make_shared<TickPacer*>(this))
{
    std::weak_ptr<TickPacer*> self = m_self;
    m_model.changed.connect([self] {
        if (const auto pacer = self.lock())
            (*pacer)->follow();
    });
    follow();
}

TickPacer::~TickPacer()
{
    m_self.reset();
}

void TickPacer::follow()
{
    if (m_model.enabled()) {
        // A timer enabled again starts a fresh schedule.
        if (!m_armed) {
            m_previousTickSecond.reset();
            arm();
        }
    } else if (m_armed) {
        m_native.stop();
        m_armed = false;
    }
}

void TickPacer::arm()
{
    const std::int64_t delay = TickSchedule::delayToNextTick(m_wallClockMs(), m_previousTickSecond, m_model.interval());
    m_armed = m_native.start(delay);
}

void TickPacer::fire()
{
    // A window timer repeats until it is stopped.
    m_native.stop();
    m_armed = false;
    if (!m_model.enabled())
        return;
    m_previousTickSecond = m_wallClockMs() / 1000;
    // Armed before the tick runs: a box the tick opens runs an event loop of
    // its own, and the next ticks must come while it is open.
    arm();
    m_onTick();
}
