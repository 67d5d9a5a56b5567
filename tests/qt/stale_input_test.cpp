// Clicks and keys made while a statement holds the window's one thread are
// dropped, not replayed once it answers again.

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPushButton>
#include <chrono>
#include <cstdint>
#include <thread>

#include "odbc/road_window.h"
#include "platform/qt/stale_input_filter.h"
#include "window_harness.h"

namespace {

using namespace std::chrono_literals;

std::int64_t monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Arrival {
    const char* name;
    std::uint64_t madeAt; // the window system's time of the event
    std::int64_t seenAt;  // the monotonic clock when it reaches the window
    bool dropped;
};

void PrintTo(const Arrival& a, std::ostream* os)
{
    *os << a.name;
}

constexpr std::int64_t kBase = 5'000'000;
constexpr std::int64_t kWrap = std::int64_t(1) << 32;

class StaleInput : public ::testing::TestWithParam<Arrival> {};

// After one prompt event has shown that the window system stamps input with
// the monotonic clock.
TEST_P(StaleInput, isDroppedOnlyWhenItWaitedForTheWindow)
{
    StaleInputFilter filter;
    EXPECT_FALSE(filter.stale(kBase - 2, kBase));
    EXPECT_EQ(filter.stale(GetParam().madeAt, GetParam().seenAt), GetParam().dropped);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Arrivals, StaleInput, ::testing::Values(
    Arrival{"prompt", kBase + 10, kBase + 12, false},
    Arrival{"aLittleLate", kBase + 10, kBase + 900, false},
    Arrival{"heldUpBehindAStatement", kBase + 10, kBase + 3000, true},
    Arrival{"heldUpForHours", kBase + 10, kBase + 5 * 3600 * 1000, true},
    Arrival{"acrossTheWrapOfTheWindowSystemsClock", kWrap - 1000, kWrap + 2000, true},
    Arrival{"promptAcrossTheWrap", kWrap - 10, kWrap + 5, false},
    Arrival{"withoutATime", 0, kBase + 3000, false}),
    [](const ::testing::TestParamInfo<Arrival>& param) { return param.param.name; });
// clang-format on

// A window system of another clock (a display on another machine): nothing
// can be told, nothing is dropped.
TEST(StaleInputOfAnotherClock, isNeverDropped)
{
    StaleInputFilter filter;
    EXPECT_FALSE(filter.stale(1'000, kBase));
    EXPECT_FALSE(filter.stale(1'010, kBase + 5000));
    EXPECT_FALSE(filter.stale(900, kBase + 60'000));
}

// A click as the window system delivers it: press and release, stamped with
// the time it was made.
void postClick(QWidget* button, std::int64_t madeAt)
{
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        auto* event = new QMouseEvent(type, centre, global, Qt::LeftButton,
                                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        event->setTimestamp(static_cast<std::uint64_t>(madeAt));
        QCoreApplication::postEvent(button, event);
    }
}

// Three clicks on "停止备份" while the slot's backup holds the window: the
// schedule keeps running, and is not stopped, started and checked again
// once the backup is over.
TEST(ClicksDuringABackup, areNotReplayedAfterIt)
{
    StandinServer server(standin({"sales:16KB"}, {"--slow-backup", "3000"}));
    OdbcDataAccess odbc;
    WindowHarness w(&odbc);
    Form1& f = w.h.form;
    f.Form_Load();
    f.Text1.setText(server.serverField());
    f.Text3.setText("Secret#1");
    f.Combo1.addItem("sales");
    f.Text5.setText((w.h.temp.path() / "bak").string() + "/");
    w.h.clock.set({2026, 12, 6, 11, 59, 59, 0});
    w.start();
    auto* command1 = w.widget<QPushButton>("Command1");

    // "开始运行", clicked while the window answers.
    postClick(command1, monotonicMs());
    QCoreApplication::processEvents();
    ASSERT_EQ(f.Command1.caption(), "停止备份");

    std::thread operatorHand([&] {
        std::this_thread::sleep_for(1s);
        for (int i = 0; i < 3; ++i) {
            postClick(command1, monotonicMs());
            std::this_thread::sleep_for(100ms);
        }
    });
    w.h.clock.advanceSeconds(1);
    f.Timer1_Timer();
    operatorHand.join();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_EQ(f.Command1.caption(), "停止备份");
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(server.statements(),
              (std::vector<std::string>{"Select * From master.dbo.sysdatabases Where name = N'sales'",
                                        "backup database [sales] to disk=N'" + f.Text5.text() + "sales.bak'"}));
    EXPECT_EQ(w.h.messages.boxes.size(), 1u) << w.h.messages.boxes.back().text;

    // The window answers again: a click now stops the schedule at once.
    postClick(command1, monotonicMs());
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Command1.caption(), "开始运行");
}

} // namespace
