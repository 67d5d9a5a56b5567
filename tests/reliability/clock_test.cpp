// The schedule against clocks that misbehave: set back, jumped forward,
// daylight-saving changes, jittery ticks, and a week of them. Runs go over
// the real road; the clock is simulated, so days pass in seconds.

#include <map>
#include <random>

#include "backup/road_schedule.h"

namespace {

class ClockRoad : public BackupRoad {
protected:
    ClockRoad() : BackupRoad({"sales:16KB"})
    {
        list({"sales"});
        f.Text7.setText("");
        f.Text6.setText("");
    }

    // The tick at a given wall-clock reading.
    void tickAt(int hour, int minute, int second)
    {
        w.harness.clock.set(hour, minute, second);
        f.Timer1_Timer();
    }
};

TEST_F(ClockRoad, aClockSetBackAcrossASlotRunsItAgain)
{
    tick(90); // 12:00:30, the slot has run
    ASSERT_EQ(backups().size(), 1u);
    tickAt(11, 59, 50);
    tick(9);
    EXPECT_EQ(backups().size(), 1u);
    tick();
    EXPECT_EQ(backups().size(), 2u);
    expectOneSetOf(folder + "sales.bak", "sales");
}

TEST_F(ClockRoad, aClockJumpedForwardOverASlotRunsItOnce)
{
    tick(50); // 11:59:50
    tickAt(12, 5, 0);
    EXPECT_EQ(backups().size(), 1u);
    tick(120);
    EXPECT_EQ(backups().size(), 1u);
}

TEST_F(ClockRoad, springForwardRunsTheSlotInTheSkippedHourOnce)
{
    f.Text8.setText("02:30:00");
    tickAt(1, 59, 58);
    tickAt(1, 59, 59);
    tickAt(3, 0, 0); // the clocks skip from 02:00 to 03:00
    EXPECT_EQ(backups().size(), 1u);
    tick(3600);
    EXPECT_EQ(backups().size(), 1u);
}

TEST_F(ClockRoad, fallBackRunsTheSlotInTheRepeatedHourTwice)
{
    f.Text8.setText("02:30:00");
    tickAt(2, 29, 59);
    tick(1800); // 02:59:59
    ASSERT_EQ(backups().size(), 1u);
    tickAt(2, 0, 0); // back to 02:00 for the second time
    tick(3600);
    EXPECT_EQ(backups().size(), 2u);
}

// A week of ticks that land anywhere from 0.2 s to 1.8 s apart, some
// seconds seen twice and some never: every slot runs exactly once a day,
// and twice on the day the clock is set back across one.
TEST_F(ClockRoad, aWeekOfJitteryTicksRunsEverySlotOnceADay)
{
    f.Text8.setText("03:00:00");
    f.Text7.setText("21:30:15");
    f.Text6.setText("12:00:00");
    w.harness.clock.set({2026, 12, 1, 0, 0, 0, 0});
    f.Timer1.setEnabled(false);
    f.Timer1.setEnabled(true);

    const std::vector<std::pair<const char*, int>> slots{
        {"03:00:00", 3 * 3600}, {"12:00:00", 12 * 3600}, {"21:30:15", 21 * 3600 + 30 * 60 + 15}};
    // The slot a run at this reading belongs to: ticks come at most 1.8 s
    // apart, so a slot's run happens within 2 s after its second.
    auto slotOf = [&slots](const LocalDateTime& t) -> const char* {
        const int second = t.hour * 3600 + t.minute * 60 + t.second;
        for (const auto& [name, at] : slots) {
            if (second >= at && second < at + 3)
                return name;
        }
        return nullptr;
    };

    std::mt19937 random(7);
    std::uniform_int_distribution<int> gap(200, 1800);
    std::map<std::pair<int, std::string>, std::size_t> runs; // (day, slot) -> runs
    bool setBack = false;
    std::size_t seen = backups().size();
    const std::size_t before = seen;
    while (w.harness.clock.now().day <= 7) {
        w.harness.clock.advanceMilliseconds(gap(random));
        const LocalDateTime now = w.harness.clock.now();
        if (!setBack && now.day == 4 && now.hour == 12 && now.minute == 10) {
            w.harness.clock.set(11, 50, 0); // someone sets the clock back 20 minutes
            setBack = true;
        }
        f.Timer1_Timer();
        const LocalDateTime at = w.harness.clock.now();
        if (const char* slot = slotOf(at)) {
            const std::size_t total = backups().size();
            runs[{at.day, slot}] += total - seen;
            seen = total;
        }
    }
    EXPECT_TRUE(w.harness.messages.boxes.empty());
    for (int day = 1; day <= 7; ++day) {
        for (const char* slot : {"03:00:00", "12:00:00", "21:30:15"}) {
            const std::size_t expected = (day == 4 && std::string(slot) == "12:00:00") ? 2 : 1;
            EXPECT_EQ((runs[{day, slot}]), expected) << "day " << day << " slot " << slot;
        }
    }
    EXPECT_EQ(backups().size() - before, 22u) << "a run outside the slots";
}

} // namespace
