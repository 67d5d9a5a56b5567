// The tray seen from inside the program: the icon shown and hidden, the menu
// as Win32 shows it, which messages reach the model's tray handler and as
// which events, and the window's taskbar entry.

#include "view_harness.h"

#include <gtest/gtest.h>

#include <optional>
#include <shellapi.h>
#include <string>
#include <vector>

#include "platform/win32/twips.h"
#include "platform/win32/win32_tray_service.h"
#include "platform/win32/win32_window_system.h"

namespace ondrel::win32test {
namespace {

struct ShownItem {
    std::string caption; // "-" for a separator
    bool enabled;
    bool operator==(const ShownItem&) const = default;
};

void PrintTo(const ShownItem& item, std::ostream* out)
{
    *out << item.caption << (item.enabled ? "" : " (grey)");
}

// What the open popup menu of this thread shows, read from inside its own
// modal loop (a timer's callback runs there), then answered with keys.
struct MenuReader {
    static inline std::vector<ShownItem> items;
    static inline std::vector<UINT> answer;

    static void CALLBACK read(HWND, UINT, UINT_PTR timer, DWORD)
    {
        const HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow))
            return;
        KillTimer(nullptr, timer);
        const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            if (state & MF_SEPARATOR) {
                items.push_back({"-", true});
                continue;
            }
            wchar_t caption[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
            items.push_back({utf8(caption), !(state & (MF_GRAYED | MF_DISABLED))});
        }
        for (const UINT key : answer)
            PostMessageW(menuWindow, WM_KEYDOWN, key, 1);
    }

    static std::string open(Win32WindowSystem& windows, const Form1& form, std::vector<UINT> keys)
    {
        items.clear();
        answer = std::move(keys);
        SetTimer(nullptr, 0, 50, read);
        return windows.popupMenu(form.mnuPopUp.entries());
    }
};

TEST(TrayMenu, showsEveryItemWithItsCaptionAndStateAndReturnsTheChoice)
{
    ViewHarness w;
    Form1& form = w.h.form;
    form.Form_Load();
    w.window.start();
    Win32WindowSystem windows;
    windows.attach(w.window.handle());
    form.stops.setCaption("停止备份");
    form.upcc.setEnabled(false);

    EXPECT_EQ(MenuReader::open(windows, form, {VK_UP, VK_RETURN}), "mnuExit");
    EXPECT_EQ(MenuReader::items,
              (std::vector<ShownItem>{{"停止备份", true},
                                      {"显示窗口", true},
                                      {"-", true},
                                      {"升级程序", false},
                                      {"关于程序", true},
                                      {"退 出", true}}));
    // A grey item cannot be chosen; Escape chooses nothing.
    EXPECT_EQ(MenuReader::open(windows, form, {VK_UP, VK_UP, VK_UP, VK_RETURN}), "");
    EXPECT_EQ(MenuReader::open(windows, form, {VK_ESCAPE}), "");
    // Each opening shows the items as they are then.
    form.mnuChange.setCaption("隐藏托盘");
    form.upcc.setEnabled(true);
    EXPECT_EQ(MenuReader::open(windows, form, {VK_UP, VK_UP, VK_UP, VK_RETURN}), "upcc");
    ASSERT_EQ(MenuReader::items.size(), 6u);
    EXPECT_EQ(MenuReader::items[1], (ShownItem{"隐藏托盘", true}));
}

// Whether the notification area holds the window's icon: only a shown icon
// can be modified.
bool iconShown(HWND window)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

TEST(TrayIcon, oneIconIsShownAndASecondRefusedUntilItIsHidden)
{
    ViewHarness w;
    w.h.form.Form_Load();
    w.window.start();
    const HWND window = w.window.handle();
    {
        Win32TrayService tray;
        EXPECT_FALSE(tray.show(Icon::Idle, "ondrel.cn'Ondrel")) << "no window, no icon";
        tray.attach(window);
        tray.hide(); // nothing to hide
        EXPECT_TRUE(tray.show(Icon::Running, "ondrel.cn'Ondrel"));
        EXPECT_TRUE(iconShown(window));
        EXPECT_FALSE(tray.show(Icon::Idle, "ondrel.cn'Ondrel"));
        EXPECT_TRUE(iconShown(window));
        tray.hide();
        EXPECT_FALSE(iconShown(window));
        tray.hide();
        // A tip longer than the shell's 63 characters, and one that is not
        // UTF-8, still show the icon.
        EXPECT_TRUE(
            tray.show(Icon::Idle, std::string(40, 'x') + "备份备份备份备份备份备份备份备份备份备份备份备份备份"));
        tray.hide();
        EXPECT_TRUE(tray.show(Icon::None, "\xff\xfe"));
        EXPECT_TRUE(iconShown(window));

        // Explorer's restart forgets the icon; the service puts it back.
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = 1;
        ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
        tray.addAgain();
        EXPECT_TRUE(iconShown(window));
    }
    EXPECT_FALSE(iconShown(window)) << "the icon goes with the service";
}

// Client pixels where the tray's codes were once read as a position: 515
// (a double-click) and 517 (a right-button release), on the window's own
// surface between "退出" and the option buttons.
POINT atPixel(const ViewHarness& w, int x)
{
    return {x, Twips::toPixels(2150, w.window.dpi())};
}

TEST(TrayCallback, theWindowsOwnMouseMovementNeverReachesTheTrayHandler)
{
    ViewHarness w;
    Form1& form = w.h.form;
    form.Form_Load();
    w.window.start();
    for (const int x : {515, 517}) {
        const POINT at = atPixel(w, x);
        SendMessageW(w.window.handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(w.window.handle(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    w.drainMessages();
    EXPECT_EQ(form.tray.lastEvent, std::nullopt);
    EXPECT_EQ(w.h.windowSystem.menusShown, 0);
    EXPECT_EQ(form.mnuChange.caption(), "显示窗口") << "a double-click's handler ran";
}

struct Callback {
    const char* name;
    UINT mouseMessage;
    std::optional<TrayService::Event> event;
    int menus;
    bool shown;
};

const Callback kCallbacks[] = {
    {"MouseMove", WM_MOUSEMOVE, std::nullopt, 0, false},
    {"LeftDown", WM_LBUTTONDOWN, std::nullopt, 0, false},
    {"LeftUp", WM_LBUTTONUP, std::nullopt, 0, false},
    {"RightDown", WM_RBUTTONDOWN, std::nullopt, 0, false},
    {"RightUp", WM_RBUTTONUP, TrayService::Event::ContextMenu, 1, false},
    {"LeftDoubleClick", WM_LBUTTONDBLCLK, TrayService::Event::DoubleClick, 0, true},
};

void PrintTo(const Callback& c, std::ostream* out)
{
    *out << c.name;
}

class TrayCallbacks : public ::testing::TestWithParam<Callback> {};

// The icon's private message carries the mouse message in lParam; only a
// double-click and the right button's release mean something to the model.
TEST_P(TrayCallbacks, reachTheTrayHandlerAsWhatTheyMean)
{
    ViewHarness w;
    Form1& form = w.h.form;
    form.Form_Load();
    w.window.start();
    SendMessageW(w.child("Command5"), BM_CLICK, 0, 0);
    ASSERT_FALSE(IsWindowVisible(w.window.handle()));

    SendMessageW(w.window.handle(), Win32TrayService::kCallbackMessage, 1, GetParam().mouseMessage);
    EXPECT_EQ(form.tray.lastEvent, GetParam().event);
    EXPECT_EQ(w.h.windowSystem.menusShown, GetParam().menus);
    EXPECT_EQ(IsWindowVisible(w.window.handle()) != FALSE, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Tray, TrayCallbacks, ::testing::ValuesIn(kCallbacks),
                         [](const auto& test) { return std::string(test.param.name); });

// Where the system draws a window's caption higher than a tool window's.
class LowToolCaptions final {
public:
    LowToolCaptions()
    {
        m_saved.cbSize = sizeof m_saved;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m_saved, &m_saved, 0);
        NONCLIENTMETRICSW low = m_saved;
        low.iCaptionHeight = m_saved.iSmCaptionHeight + 8;
        SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof low, &low, 0);
    }
    ~LowToolCaptions() { SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof m_saved, &m_saved, 0); }
    LowToolCaptions(const LowToolCaptions&) = delete;
    LowToolCaptions& operator=(const LowToolCaptions&) = delete;

private:
    NONCLIENTMETRICSW m_saved{};
};

TEST(TaskbarEntry, goesWithoutChangingTheClientArea)
{
    const LowToolCaptions captions;
    ViewHarness w;
    w.h.form.Form_Load();
    w.window.start();
    const SIZE before = w.clientSize();
    RECT frame{};
    GetWindowRect(w.window.handle(), &frame);
    w.h.form.iconm();
    ASSERT_TRUE(GetWindowLongW(w.window.handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(w.clientSize(), before);
    RECT toolFrame{};
    GetWindowRect(w.window.handle(), &toolFrame);
    EXPECT_LT(toolFrame.bottom - toolFrame.top, frame.bottom - frame.top) << "the caption did not change";

    SendMessageW(w.child("Command5"), BM_CLICK, 0, 0);
    w.h.form.TrayNotified(TrayService::Event::DoubleClick);
    ASSERT_TRUE(IsWindowVisible(w.window.handle()));
    EXPECT_EQ(w.clientSize(), before);
}

} // namespace
} // namespace ondrel::win32test
