#pragma once

#include "platform/clock.h"

// A clock the test moves by hand.
class FakeClock final : public Clock {
public:
    explicit FakeClock(LocalDateTime start = {2026, 12, 6, 11, 59, 0, 0}) : m_now(start) {}

    LocalDateTime now() const override { return m_now; }
    void set(LocalDateTime t) { m_now = t; }
    void set(int hour, int minute, int second)
    {
        m_now.hour = hour;
        m_now.minute = minute;
        m_now.second = second;
    }
    void advanceSeconds(long long seconds)
    {
        const int ms = m_now.millisecond;
        m_now = LocalDateTime::fromSerialSecond(m_now.serialSecond() + seconds);
        m_now.millisecond = ms;
    }
    void advanceMilliseconds(long long ms)
    {
        const long long total = m_now.millisecond + ms;
        long long seconds = total / 1000;
        long long rest = total % 1000;
        if (rest < 0) {
            rest += 1000;
            --seconds;
        }
        m_now = LocalDateTime::fromSerialSecond(m_now.serialSecond() + seconds);
        m_now.millisecond = static_cast<int>(rest);
    }
    void advanceMinutes(long long minutes) { advanceSeconds(minutes * 60); }
    void advanceHours(long long hours) { advanceSeconds(hours * 3600); }
    void advanceDays(long long days) { advanceSeconds(days * 86400); }

private:
    LocalDateTime m_now;
};
