#pragma once

#include "service/stop_request.h"

// SIGTERM and SIGINT (a stop) and SIGHUP (read the settings again), taken
// through a descriptor: blocked for the whole process from construction,
// before any thread starts, so that none of them ends the process in the
// middle of a run.
class SignalStop final : public StopRequest {
public:
    SignalStop();
    ~SignalStop() override;
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    // Negative when the signals cannot be taken.
    int descriptor() const { return m_descriptor; }
    // Takes the signals that came, without waiting: whether a stop came, now
    // or earlier.
    bool requested() override;
    // Whether a SIGHUP came since the last call.
    bool takeReload();

private:
    int m_descriptor = -1;
    bool m_stop = false;
    bool m_reload = false;
};
