// The Qt timer's ticks: that they come while the model's timer is enabled
// and keep coming while a box opened by a tick is still open (where each
// falls: tests/unit/tick_schedule_test.cpp).

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/timer.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/tick_driver.h"

namespace {

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
