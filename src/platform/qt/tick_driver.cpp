#include "platform/qt/tick_driver.h"

#include <QDateTime>

#include "platform/qt/guard.h"

TickDriver::TickDriver(Timer& timer, std::function<void()> onTick, QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_pacer->fire(); });
    m_pacer.emplace(
        timer, static_cast<OneShotTimer&>(*this), [] { return QDateTime::currentMSecsSinceEpoch(); },
        [onTick = std::move(onTick)] { runGuarded("Timer1_Timer", onTick); });
}

bool TickDriver::start(std::int64_t delayMs)
{
    m_timer.start(static_cast<int>(delayMs));
    return true;
}

void TickDriver::stop()
{
    m_timer.stop();
}
