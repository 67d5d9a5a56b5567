// The schedule both views' tick drivers keep: when the native one-shot
// timer is armed, stopped and armed again (where each tick falls:
// tick_schedule_test.cpp).

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/timer.h"
#include "app/view/tick_pacer.h"

namespace {

constexpr std::int64_t kSecond = 1'700'000'000; // any whole second
constexpr std::int64_t kMs = kSecond * 1000;

// A one-shot timer that only records what it was asked to do.
class RecordingTimer final : public OneShotTimer {
public:
    bool start(std::int64_t delayMs) override
    {
        starts.push_back(delayMs);
        pending = accepts ? std::optional<std::int64_t>(delayMs) : std::nullopt;
        return accepts;
    }
    void stop() override
    {
        ++stops;
        pending.reset();
    }

    std::vector<std::int64_t> starts;
    std::optional<std::int64_t> pending;
    int stops = 0;
    bool accepts = true;
};

class Pacing : public ::testing::Test {
protected:
    Timer timer{1000};
    RecordingTimer native;
    std::int64_t now = kMs + 300;
    std::vector<std::int64_t> ticks; // the wall clock at each tick
    std::function<void()> duringTick;
    TickPacer pacer{timer, native, [this] { return now; },
                    [this] {
                        ticks.push_back(now);
                        if (duringTick)
                            duringTick();
                    }};

    // The native timer goes off when it was due.
    void elapse()
    {
        ASSERT_TRUE(native.pending);
        now += *native.pending;
        pacer.fire();
    }
};

TEST_F(Pacing, armsWhenEnabledAndStopsWhenDisabled)
{
    EXPECT_FALSE(pacer.armed());
    EXPECT_TRUE(native.starts.empty());

    timer.setEnabled(true);
    EXPECT_TRUE(pacer.armed());
    EXPECT_EQ(native.starts, std::vector<std::int64_t>{705});

    elapse();
    elapse();
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{kMs + 1005, kMs + 2005}));

    timer.setEnabled(false);
    EXPECT_FALSE(pacer.armed());
    EXPECT_FALSE(native.pending);
}

// A tick that opens a box waits in the box's event loop: the next ticks
// must already be armed, and come from inside it.
TEST_F(Pacing, armsTheNextTickBeforeTheTickRuns)
{
    int nested = 0;
    duringTick = [&] {
        EXPECT_TRUE(pacer.armed());
        EXPECT_EQ(native.pending, std::optional<std::int64_t>(1000));
        if (ticks.size() == 1) {
            // The box is open.
            elapse();
            elapse();
            nested = static_cast<int>(ticks.size()) - 1;
        }
    };
    timer.setEnabled(true);
    elapse();
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{kMs + 1005, kMs + 2005, kMs + 3005}));
}

// A tick that stops the timer leaves nothing armed behind it.
TEST_F(Pacing, aTickThatDisablesTheTimerIsTheLast)
{
    duringTick = [&] { timer.setEnabled(false); };
    timer.setEnabled(true);
    elapse();
    EXPECT_FALSE(pacer.armed());
    EXPECT_FALSE(native.pending);
    EXPECT_EQ(ticks.size(), 1u);
}

// A timer message already queued when the model's timer was disabled.
TEST_F(Pacing, aLateFiringOfADisabledTimerTicksNothing)
{
    timer.setEnabled(true);
    timer.setEnabled(false);
    pacer.fire();
    EXPECT_TRUE(ticks.empty());
    EXPECT_FALSE(pacer.armed());
    EXPECT_EQ(native.starts.size(), 1u);
}

// The second of the last tick keeps a timer that fired a little early from
// ticking that second again; a timer enabled again starts afresh.
TEST_F(Pacing, enablingAgainForgetsThePreviousTicksSecond)
{
    now = kMs + 1;
    timer.setEnabled(true);
    EXPECT_EQ(native.starts.back(), 4);
    now = kMs + 3; // two milliseconds early
    pacer.fire();
    EXPECT_EQ(native.starts.back(), 1002) << "the second just ticked is not ticked again";

    timer.setEnabled(false);
    now = kMs + 4;
    timer.setEnabled(true);
    EXPECT_EQ(native.starts.back(), 1);
}

// A system that would not start the timer: the model's next change tries
// again.
TEST_F(Pacing, aRefusedStartIsTriedAgainAtTheNextChange)
{
    native.accepts = false;
    timer.setEnabled(true);
    EXPECT_FALSE(pacer.armed());
    native.accepts = true;
    timer.setEnabled(false);
    timer.setEnabled(true);
    EXPECT_TRUE(pacer.armed());
}

TEST(PacerLifetime, theModelsTimerMayOutliveIt)
{
    Timer timer(1000);
    RecordingTimer native;
    {
        TickPacer pacer(
            timer, native, [] { return kMs; }, [] {});
        timer.setEnabled(true);
    }
    const std::size_t starts = native.starts.size();
    timer.setEnabled(false);
    timer.setEnabled(true);
    EXPECT_EQ(native.starts.size(), starts);
}

} // namespace
