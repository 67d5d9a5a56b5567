// The timer's ticks: where each falls, and that they keep coming while a
// box opened by a tick is still open.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/timer.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/tick_driver.h"

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
    EXPECT_EQ(TickDriver::delayToNextTick(c.nowMs, c.previousTickSecond, 1000), c.expectedDelay);
}

INSTANTIATE_TEST_SUITE_P(Ticks, TickDelay, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(Ticks, comeWhileEnabledAndStopWhenDisabled)
{
    Timer timer(1000);
    int ticks = 0;
    TickDriver driver(timer, [&] { ++ticks; });
    EXPECT_FALSE(driver.running());
    timer.setEnabled(true);
    EXPECT_TRUE(driver.running());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000));
    timer.setEnabled(false);
    EXPECT_FALSE(driver.running());
    const int stoppedAt = ticks;
    QTest::qWait(1200);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(Ticks, keepComingWhileATicksBoxIsOpen)
{
    Timer timer(1000);
    QtMessageBox box;
    int ticks = 0;
    int ticksWhileOpen = 0;
    bool boxOpen = false;
    TickDriver driver(timer, [&] {
        ++ticks;
        if (boxOpen) {
            if (++ticksWhileOpen == 2)
                QApplication::activeModalWidget()->close();
            return;
        }
        if (ticks == 1) {
            boxOpen = true;
            box.show("备份已开启", "提示", MessageBox::OkOnly);
            boxOpen = false;
        }
    });
    // Without ticks inside the box nothing would close it.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* open = QApplication::activeModalWidget())
            open->close();
    });
    watchdog.start(8000);
    timer.setEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3 && !boxOpen; }, 10000));
    EXPECT_EQ(ticksWhileOpen, 2);
    timer.setEnabled(false);
}

} // namespace
