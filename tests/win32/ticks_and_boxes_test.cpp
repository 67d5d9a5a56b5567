// The timer's ticks and the message boxes on Windows: one tick per second
// of the wall clock, going on while a box opened by a tick waits for the
// operator; boxes with an OK button only, no icon, the given title, owned
// by the window while it is on the screen.

#include "box_watch.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <vector>

#include "app/timer.h"
#include "platform/win32/tick_driver.h"
#include "platform/win32/win32_message_box.h"

namespace ondrel::win32test {
namespace {

// Dispatches this thread's messages until the condition holds or the time
// is up; false when it is up.
template <typename Condition>
bool pumpUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

TEST(Ticks, comeOncePerSecondWhileEnabledAndStopWhenDisabled)
{
    Timer timer(1000);
    std::vector<std::int64_t> seconds;
    Win32::TickDriver driver(timer, [&] {
        seconds.push_back(Win32::TickDriver::nowMs() / 1000);
        if (seconds.size() == 3)
            timer.setEnabled(false);
    });
    EXPECT_FALSE(driver.running());
    timer.setEnabled(true);
    EXPECT_TRUE(driver.running());
    ASSERT_TRUE(pumpUntil([&] { return seconds.size() == 3; }));
    EXPECT_FALSE(driver.running());
    EXPECT_LT(seconds[0], seconds[1]);
    EXPECT_LT(seconds[1], seconds[2]);
    pumpUntil([] { return false; }, std::chrono::milliseconds(1500));
    EXPECT_EQ(seconds.size(), 3u) << "no tick after the timer was disabled";
}

// Nobody may be at the console when a run fails: while its box waits, the
// schedule goes on.
TEST(Ticks, goOnWhileABoxOpenedByATickIsOpen)
{
    Timer timer(1000);
    Win32MessageBox box;
    int ticks = 0;
    int ticksWhileOpen = 0;
    Win32::TickDriver driver(timer, [&] {
        if (++ticks == 1) {
            box.show("连接服务器超时或MSSQL数据不存在,报错号:-2147467259", "提示", MessageBox::OkOnly);
            ticksWhileOpen = ticks - 1;
            timer.setEnabled(false);
        } else if (ticks == 4) {
            PostMessageW(findBox(L"提示"), WM_COMMAND, IDOK, 0);
        }
    });
    timer.setEnabled(true);
    ASSERT_TRUE(pumpUntil([&] { return !timer.enabled(); }));
    EXPECT_GE(ticksWhileOpen, 3);
}

class Boxes : public ::testing::Test {
protected:
    Boxes()
    {
        window = CreateWindowExW(0, L"Static", L"Ondrel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        box.setOwner(window);
    }
    ~Boxes() override { DestroyWindow(window); }

    std::vector<SeenBox> show(const std::string& text, const std::string& title)
    {
        std::vector<SeenBox> seen;
        {
            BoxWatch watch([&](const SeenBox& found) { seen.push_back(found); });
            box.show(text, title, MessageBox::OkOnly);
        }
        return seen;
    }

    HWND window = nullptr;
    Win32MessageBox box;
};

TEST_F(Boxes, haveTheTitleAnOkButtonAndNoIcon)
{
    const auto seen = show("保存成功!", "提示");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"提示");
    EXPECT_EQ(seen[0].text, L"保存成功!");
    EXPECT_EQ(seen[0].buttons, std::vector<std::wstring>{L"确定"});
    EXPECT_FALSE(seen[0].hasIcon);
    EXPECT_EQ(seen[0].owner, window);

    const auto about = show("程序更新网址：HTTP://ONDREL.CN .\r\n\r\n注：如发现本程序有出现BUG", "关于程序");
    ASSERT_EQ(about.size(), 1u);
    EXPECT_EQ(about[0].title, L"关于程序");
    EXPECT_EQ(about[0].text, L"程序更新网址：HTTP://ONDREL.CN .\r\n\r\n注：如发现本程序有出现BUG");
}

// A box owned by a hidden or minimised window would wait unseen.
TEST_F(Boxes, standAloneWhileTheWindowIsOffTheScreen)
{
    ShowWindow(window, SW_MINIMIZE);
    auto seen = show("备份失败", "提示");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, nullptr);
    ShowWindow(window, SW_HIDE);
    seen = show("备份失败", "提示");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, nullptr);
}

} // namespace
} // namespace ondrel::win32test
