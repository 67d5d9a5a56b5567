#pragma once

#include <QObject>
#include <cstdint>

#include "platform/stale_input.h"

// Drops the operator's input that waited for the window: clicks and keys
// made while a handler held the window's one thread (a statement runs on
// it until the server answers) would otherwise be replayed once it returns,
// long after the state they were aimed at has changed.
//
// An input event carries the window system's time of day in milliseconds.
// X servers and Wayland compositors on this machine take it from the
// monotonic clock, as std::chrono::steady_clock does, modulo 2^32. Once an
// event has come promptly with such a time, any event that arrives more
// than kStaleInputMs after it was made is dropped. Until then (a display on
// another machine, a platform of its own clock) nothing is dropped.
class StaleInputFilter final : public QObject {
public:
    explicit StaleInputFilter(QObject* parent = nullptr) : QObject(parent) {}

    // The decision for an event made at eventMs (the window system's time)
    // and seen at nowMs (the monotonic clock, in milliseconds).
    bool stale(std::uint64_t eventMs, std::int64_t nowMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_sameClock = false;
};
