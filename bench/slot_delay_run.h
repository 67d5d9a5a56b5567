#pragma once

#include <QObject>
#include <cstdint>
#include <string>
#include <vector>

class BenchWindow;

// Puts one slot after another a few seconds ahead into the three slot
// fields of a running schedule, on the real clock with the real tick
// driver, and notes each slot's second and the ticks that came.
class SlotDelayRun final : public QObject {
public:
    SlotDelayRun(BenchWindow& window, int slots, int gapSeconds);

    // Runs the event loop until every slot has passed.
    void run();

    const std::vector<std::int64_t>& slotSeconds() const { return m_slotSeconds; }
    const std::vector<std::int64_t>& tickTimesMs() const { return m_tickTimesMs; }
    // Called by the tick driver's handler before the window's tick.
    void noteTick(std::int64_t wallMs) { m_tickTimesMs.push_back(wallMs); }

private:
    void programNext();

    BenchWindow& m_window;
    int m_slots;
    int m_gapSeconds;
    std::vector<std::int64_t> m_slotSeconds;
    std::vector<std::int64_t> m_tickTimesMs;
};
