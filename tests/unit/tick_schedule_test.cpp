// Where the timer's ticks fall, for both views' tick drivers.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "backup/tick_schedule.h"

namespace {

struct Case {
    const char* name;
    std::int64_t nowMs;
    std::optional<std::int64_t> previousTickSecond;
    std::int64_t expectedDelay;
};

constexpr std::int64_t kSecond = 1'700'000'000; // any whole second
constexpr std::int64_t kMs = kSecond * 1000;

const Case kCases[] = {
    {"MidSecond", kMs + 300, std::nullopt, 705},
    {"JustAfterTheSecond", kMs + 1, std::nullopt, 4},
    {"AtTheAimedMoment", kMs + 5, std::nullopt, 1000},
    {"LateInTheSecond", kMs + 999, std::nullopt, 6},
    {"AfterATickOnTime", kMs + 6, kSecond, 999},
    // A timer that fired a little early: the same second is not ticked again.
    {"AfterAnEarlyTick", kMs - 2, kSecond, 1007},
    {"AfterAMissedSecond", kMs + 2500, kSecond, 505},
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class TickDelay : public ::testing::TestWithParam<Case> {};

TEST_P(TickDelay, aimsJustPastTheNextWholeSecond)
{
    const Case& c = GetParam();
    EXPECT_EQ(TickSchedule::delayToNextTick(c.nowMs, c.previousTickSecond, 1000), c.expectedDelay);
}

INSTANTIATE_TEST_SUITE_P(Ticks, TickDelay, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
