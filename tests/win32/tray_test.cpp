// ondrel.exe's notification icon on a real notification area: trayer, an
// XEmbed tray on the road's display, where Wine docks the icon. Driven as
// the operator drives it, with X mouse input from xdotool: the icon, its
// menu, the About box, the ways out and back, and Explorer starting again.

#include "box_watch.h"
#include "desktop.h"
#include "running_program.h"
#include "wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "fakes/temp_folder.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Within the icon (Wine's docked icons are 20 × 22 or more).
constexpr POINT kOnIcon{10, 10};

UINT taskbarCreated()
{
    return RegisterWindowMessageW(L"TaskbarCreated");
}

bool hasTaskbarButton(HWND window)
{
    return IsWindowVisible(window) && !(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

// The program started with its design values, the tray holding none of its
// icons yet.
class ProgramTray : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Pixels as the program has them, whatever the display's dpi.
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        ASSERT_NE(program.window(), nullptr) << "no window appeared";
        ASSERT_NE(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr) << "Wine's desktop has no notification area";
    }

    // This program's icon in the tray, if it shows one now.
    HWND icon() const
    {
        std::vector<HWND> ours;
        for (HWND shown : dockedTrayIcons()) {
            if (std::find(before.begin(), before.end(), shown) == before.end())
                ours.push_back(shown);
        }
        return ours.size() == 1 ? ours.front() : nullptr;
    }
    // The icon once the tray has placed it: trayer grows to take it in.
    HWND waitForIcon() const
    {
        HWND shown = nullptr;
        waitFor([&] { return (shown = icon()) != nullptr; });
        RECT placed{};
        int steady = 0;
        waitFor([&] {
            RECT now{};
            GetWindowRect(shown, &now);
            steady = EqualRect(&now, &placed) ? steady + 1 : 0;
            placed = now;
            return steady >= 6;
        });
        return shown;
    }

    // "托盘": the window goes, the icon comes.
    HWND hideToTray() const
    {
        program.press(L"托盘");
        EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(program.window()); })) << "the window stayed";
        return waitForIcon();
    }

    HWND openMenu(HWND shown, POINT at = kOnIcon) const
    {
        click(shown, at, 3);
        HWND menu = nullptr;
        waitFor([&] {
            const std::vector<HWND> menus = popupMenus(program.id());
            menu = menus.size() == 1 ? menus.front() : nullptr;
            return menu != nullptr;
        });
        return menu;
    }

    // Keys as the menu's own loop reads them from the program's queue.
    static void keys(HWND menu, std::initializer_list<UINT> virtualKeys)
    {
        for (const UINT key : virtualKeys) {
            PostMessageW(menu, WM_KEYDOWN, key, 1);
            PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
        }
    }

    bool menuClosed() const
    {
        return waitFor([&] { return popupMenus(program.id()).empty(); });
    }

    TempFolder temp;
    std::vector<HWND> before = dockedTrayIcons();
    RunningProgram program{fs::path(wide(ONDREL_PROGRAM)), temp.path()};
};

TEST_F(ProgramTray, theIconIsDockedBehindTheHiddenWindowAndADoubleClickBringsItBack)
{
    EXPECT_TRUE(hasTaskbarButton(program.window()));
    EXPECT_EQ(icon(), nullptr) << "no icon before the window is hidden";
    const HWND shown = hideToTray();
    ASSERT_NE(shown, nullptr) << "no icon was docked in the notification area";
    EXPECT_FALSE(hasTaskbarButton(program.window())) << "the taskbar button goes with the window";

    // A single click means nothing; the two of a double-click are far apart.
    click(shown, kOnIcon, 1);
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(IsWindowVisible(program.window()));
    doubleClick(shown, kOnIcon);
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(program.window()) != FALSE; })) << "the double-click did nothing";
    EXPECT_TRUE(IsWindowEnabled(program.control(L"Button", L"托盘")));
    EXPECT_FALSE(hasTaskbarButton(program.window())) << "the icon stands in for it while it is up";
    EXPECT_EQ(icon(), shown) << "the icon stays";

    program.press(L"退出");
    ASSERT_TRUE(program.ended());
    EXPECT_EQ(program.exitCode(), 0u);
    EXPECT_TRUE(waitFor([&] { return icon() == nullptr; })) << "the icon outlived the program";
}

// The tray's tooltip: the update site's bare domain and the program's name.
TEST_F(ProgramTray, theIconsTipShowsWhenTheMouseRestsOnIt)
{
    const HWND shown = hideToTray();
    ASSERT_NE(shown, nullptr);
    RECT iconRect{};
    GetWindowRect(shown, &iconRect);
    moveMouse({iconRect.left + 4, iconRect.top + 4});
    moveMouse({iconRect.left + kOnIcon.x, iconRect.top + kOnIcon.y});
    const DWORD tray = processOf(shown);
    HWND tip = nullptr;
    const auto findTip = [&] {
        for (HWND w = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); w;
             w = FindWindowExW(nullptr, w, L"tooltips_class32", nullptr)) {
            if (processOf(w) == tray && IsWindowVisible(w) && !windowText(w).empty()) {
                tip = w;
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(waitFor(findTip, 5s)) << "no tip showed";
    EXPECT_EQ(windowText(tip), L"ondrel.cn'Ondrel");
}

TEST_F(ProgramTray, theMenuOpensAtTheCursorOnTheRightButtonAndClosesOnAClickElsewhere)
{
    const HWND shown = hideToTray();
    ASSERT_NE(shown, nullptr);
    RECT iconRect{};
    GetWindowRect(shown, &iconRect);
    const POINT cursor{iconRect.left + kOnIcon.x, iconRect.top + kOnIcon.y};

    const HWND menu = openMenu(shown);
    ASSERT_NE(menu, nullptr) << "no menu opened";
    RECT menuRect{};
    GetWindowRect(menu, &menuRect);
    // At the screen's top right corner the menu hangs down from the cursor,
    // pushed inside the screen.
    EXPECT_EQ(menuRect.top, cursor.y);
    EXPECT_LE(menuRect.left, cursor.x);
    EXPECT_GE(menuRect.right, cursor.x);

    clickOnScreen({200, 900}, 1);
    EXPECT_TRUE(menuClosed()) << "a click elsewhere left the menu open";
    EXPECT_FALSE(program.ended(0ms));
    EXPECT_FALSE(IsWindowVisible(program.window())) << "nothing was chosen";

    // It opens again, and Escape closes it as well.
    const HWND again = openMenu(shown);
    ASSERT_NE(again, nullptr) << "the second opening failed";
    keys(again, {VK_ESCAPE});
    EXPECT_TRUE(menuClosed());
    EXPECT_FALSE(IsWindowVisible(program.window()));
}

TEST_F(ProgramTray, exitFromTheMenuEndsTheProgramAndTakesTheIconAway)
{
    const HWND shown = hideToTray();
    ASSERT_NE(shown, nullptr);
    const HWND menu = openMenu(shown);
    ASSERT_NE(menu, nullptr);
    keys(menu, {VK_UP, VK_RETURN}); // "退 出", the last item
    ASSERT_TRUE(program.ended()) << "\"退 出\" left the program running";
    EXPECT_EQ(program.exitCode(), 0u);
    EXPECT_TRUE(waitFor([&] { return icon() == nullptr; })) << "the icon outlived the program";
}

TEST_F(ProgramTray, theAboutBoxHoldsTheIconUntilItIsClosed)
{
    const HWND shown = hideToTray();
    ASSERT_NE(shown, nullptr);
    const HWND menu = openMenu(shown);
    ASSERT_NE(menu, nullptr);
    keys(menu, {VK_UP, VK_UP, VK_RETURN}); // "关于程序"
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = findBox(L"关于程序", program.id())) != nullptr; })) << "no About box";
    const SeenBox about = readBox(box);
    EXPECT_EQ(about.text,
              L"程序更新网址：HTTP://ONDREL.CN .\r\n\r\n"
              L"注：如发现本程序有出现BUG,请登录我的blog提交BUG报错信息。\r\n\r\n"
              L"如有导致数据损失之类问题,本程序将不会承担任何责任。");
    EXPECT_EQ(about.buttons, std::vector<std::wstring>{L"确定"});
    EXPECT_FALSE(about.hasIcon);

    // While the box is open the icon does not react.
    doubleClick(shown, kOnIcon);
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(IsWindowVisible(program.window())) << "a double-click got through while the About box was open";

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitFor([&] { return findBox(L"关于程序", program.id()) == nullptr; }));
    doubleClick(shown, kOnIcon);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window()) != FALSE; }));
}

// Explorer starting again makes a new notification area that knows no
// icons; it then tells every top-level window.
TEST_F(ProgramTray, anIconLostWithTheTaskbarIsAddedAgainWhenTheTaskbarIsCreated)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(program.window(), taskbarCreated(), 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_FALSE(waitFor([&] { return icon() != nullptr; }, 1s)) << "an icon appeared before any was put up";

    const HWND shown = hideToTray();
    ASSERT_NE(shown, nullptr);
    // What a new notification area knows of the program's icon: nothing.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = program.window();
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data)) << "the icon is the window's number 1";
    ASSERT_TRUE(waitFor([&] { return icon() == nullptr; }));

    SendMessageTimeoutW(program.window(), taskbarCreated(), 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    const HWND back = waitForIcon();
    ASSERT_NE(back, nullptr) << "the icon did not come back";
    // A taskbar that already shows it changes nothing.
    SendMessageTimeoutW(program.window(), taskbarCreated(), 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(icon(), back);
    doubleClick(back, kOnIcon);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window()) != FALSE; }))
        << "the icon put back does not reach the window";
}

// The window's own mouse movement is not the icon's: at 144 dpi the client
// area is wider than 517 pixels, the code of a right-button release (515,
// a double-click), and the mouse crossing there opens nothing.
TEST_F(ProgramTray, mouseMovementOverTheWindowAtTheTraysCodesOpensNothing)
{
    RECT client{};
    GetClientRect(program.window(), &client);
    if (client.right <= 517)
        GTEST_SKIP() << "the window is " << client.right << " pixels wide at this dpi; run it at 144 dpi";
    // Between "退出" and the option buttons, the window's own surface, at
    // the client area's scale (6825 twips wide).
    const int y = MulDiv(2150, client.right, 6825);
    // The client area's corner on the screen: the frame is as wide at the
    // sides as at the bottom, the caption is above.
    RECT frame{};
    GetWindowRect(program.window(), &frame);
    const int border = ((frame.right - frame.left) - client.right) / 2;
    const POINT corner{frame.left + border, frame.bottom - border - client.bottom};
    for (const int x : {517, 515, 517}) {
        const POINT at{corner.x + x, corner.y + y};
        const HWND under = ChildWindowFromPointEx(program.window(), {x, y}, CWP_SKIPINVISIBLE);
        ASSERT_EQ(under, program.window()) << "pixel " << x << " is a " << utf8(windowClass(under));
        moveMouse({at.x - 3, at.y});
        moveMouse(at);
    }
    EXPECT_FALSE(waitFor([&] { return !popupMenus(program.id()).empty(); }, 1s)) << "a menu opened";
    EXPECT_TRUE(IsWindowVisible(program.window()));
    EXPECT_TRUE(hasTaskbarButton(program.window()));
    EXPECT_TRUE(IsWindowEnabled(program.control(L"Button", L"托盘")));
    EXPECT_EQ(icon(), nullptr);
}

// Pictures of the tray menu beside its icon and of the About box, for the
// documentation: scripts/windows-screenshots.sh runs this, with
// ONDREL_SCREENSHOTS naming the folder (a path of this machine).
class DISABLED_Screenshots : public ProgramTray {
protected:
    // ImageMagick's import takes the part of the screen.
    static void take(const RECT& part, const std::wstring& name)
    {
        const std::wstring folder = environmentVariable(L"ONDREL_SCREENSHOTS");
        ASSERT_FALSE(folder.empty()) << "ONDREL_SCREENSHOTS names no folder";
        const std::wstring geometry = std::to_wstring(part.right - part.left) + L"x"
            + std::to_wstring(part.bottom - part.top) + L"+" + std::to_wstring(part.left) + L"+"
            + std::to_wstring(part.top);
        EXPECT_TRUE(runHostProgram(L"/usr/bin/import -window root -crop " + geometry + L" " + folder + L"/" + name));
    }
};

TEST_F(DISABLED_Screenshots, trayMenuAndAboutBox)
{
    const HWND shown = hideToTray();
    ASSERT_NE(shown, nullptr);
    // Opened from the icon's lower edge, the menu leaves the icon in sight.
    const HWND menu = openMenu(shown, {2, 19});
    ASSERT_NE(menu, nullptr);
    // The icon in the notification area on the screen's top edge, the menu
    // hanging from it, the item under the keyboard's highlight.
    keys(menu, {VK_UP, VK_UP});
    std::this_thread::sleep_for(500ms);
    RECT iconRect{};
    GetWindowRect(shown, &iconRect);
    RECT menuRect{};
    GetWindowRect(menu, &menuRect);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    take({std::max(0L, menuRect.left - 200), 0, static_cast<LONG>(screenWidth), menuRect.bottom + 30},
         L"ondrel-tray-menu-windows.png");

    keys(menu, {VK_RETURN}); // "关于程序"
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = findBox(L"关于程序", program.id())) != nullptr; }));
    std::this_thread::sleep_for(500ms);
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    take(boxRect, L"ondrel-about-windows.png");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    program.press(L"退出");
}

} // namespace
} // namespace ondrel::win32test
