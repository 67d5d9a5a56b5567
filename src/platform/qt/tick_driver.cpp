#include "platform/qt/tick_driver.h"

#include <QDateTime>
#include <QPointer>
#include <utility>

#include "app/tick_schedule.h"
#include "app/timer.h"
#include "platform/qt/guard.h"

TickDriver::TickDriver(Timer& timer, std::function<void()> onTick, QObject* parent)
    : QObject(parent)
    , m_model(timer)
    , m_onTick(std::move(onTick))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { fire(); });
    QPointer<TickDriver> self(this);
    m_model.changed.connect([self] {
        if (self)
            self->follow();
    });
    follow();
}

void TickDriver::follow()
{
    if (m_model.enabled()) {
        if (!m_timer.isActive()) {
            m_previousTickSecond.reset();
            arm();
        }
    } else {
        m_timer.stop();
    }
}

void TickDriver::arm()
{
    const std::int64_t delay =
        TickSchedule::delayToNextTick(QDateTime::currentMSecsSinceEpoch(), m_previousTickSecond, m_model.interval());
    m_timer.start(static_cast<int>(delay));
}

void TickDriver::fire()
{
    if (!m_model.enabled())
        return;
    m_previousTickSecond = QDateTime::currentMSecsSinceEpoch() / 1000;
    // Armed before the tick runs: a box the tick opens runs a nested event
    // loop, and the next ticks must come while it is open.
    arm();
    runGuarded("Timer1_Timer", m_onTick);
}
