#pragma once

#include "app/signal.h"

// The window's tick source; the view drives it while it is enabled.
class Timer final {
public:
    explicit Timer(int intervalMs) : m_interval(intervalMs) {}

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled)
    {
        if (enabled == m_enabled)
            return;
        m_enabled = enabled;
        changed.emit();
    }
    int interval() const { return m_interval; }

    Signal<> changed;

private:
    int m_interval;
    bool m_enabled = false;
};
