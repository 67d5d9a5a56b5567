// The Win32 view, read back through Win32 calls: every control a native
// child of the one window at its twips rectangle, with its class, style,
// text and font; the focus order; and the traffic between controls and
// model in both directions.

#include "view_harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "text/sites.h"
#include "platform/win32/message_loop.h"

namespace ondrel::win32test {
namespace {

struct Placement {
    const char* control;
    TwipsRect inWindow; // twips from the client area's corner, frame offsets added by hand
    RECT at96;          // the same in pixels at 96 dpi (15 twips a pixel)
};

// clang-format off
const Placement kPlacements[] = {
    {"Frame1",   {120, 120, 6615, 1725},  {8, 8, 449, 123}},
    {"Label1",   {480, 480, 720, 180},    {32, 32, 80, 44}},     // (120 + 360, 120 + 360)
    {"Text1",    {1200, 360, 1935, 375},  {80, 24, 209, 49}},
    {"Label2",   {3240, 480, 615, 255},   {216, 32, 257, 49}},   // (120 + 3120, 120 + 360)
    {"Text2",    {3840, 360, 1095, 375},  {256, 24, 329, 49}},
    {"Label3",   {5040, 480, 540, 180},   {336, 32, 372, 44}},   // (120 + 4920, 120 + 360)
    {"Text3",    {5640, 360, 975, 375},   {376, 24, 441, 49}},
    {"Label4",   {480, 960, 720, 180},    {32, 64, 80, 76}},     // (120 + 360, 120 + 840)
    {"Text4",    {1200, 840, 1335, 375},  {80, 56, 169, 81}},
    {"Command2", {2640, 840, 495, 375},   {176, 56, 209, 81}},
    {"Label6",   {3240, 960, 540, 180},   {216, 64, 252, 76}},   // (120 + 3120, 120 + 840)
    {"Combo1",   {3840, 840, 2175, 300},  {256, 56, 401, 76}},
    {"Command3", {6120, 840, 495, 315},   {408, 56, 441, 77}},
    {"Label5",   {240, 1440, 900, 180},   {16, 96, 76, 108}},    // (120 + 120, 120 + 1320)
    {"Text5",    {1200, 1320, 4575, 375}, {80, 88, 385, 113}},
    {"Command4", {5880, 1320, 735, 375},  {392, 88, 441, 113}},
    {"Command1", {120, 1905, 975, 495},   {8, 127, 73, 160}},
    {"Command5", {1200, 1905, 735, 495},  {80, 127, 129, 160}},
    {"Command6", {2040, 1905, 975, 495},  {136, 127, 201, 160}},
    {"Command7", {3120, 1905, 975, 495},  {208, 127, 273, 160}},
    {"Command8", {4200, 1905, 855, 495},  {280, 127, 337, 160}},
    {"Option1",  {5280, 1920, 1455, 255}, {352, 128, 449, 145}},
    {"Option2",  {5280, 2190, 1455, 180}, {352, 146, 449, 158}},
    {"Frame2",   {120, 2505, 6615, 735},  {8, 167, 449, 216}},
    {"Label9",   {240, 2865, 810, 180},   {16, 191, 70, 203}},   // (120 + 120, 2505 + 360)
    {"Text8",    {1080, 2745, 975, 390},  {72, 183, 137, 209}},  // (120 + 960, 2505 + 240)
    {"Label8",   {2160, 2865, 855, 255},  {144, 191, 201, 208}}, // (120 + 2040, 2505 + 360)
    {"Text7",    {3000, 2745, 975, 375},  {200, 183, 265, 208}}, // (120 + 2880, 2505 + 240)
    {"Label7",   {4080, 2865, 855, 255},  {272, 191, 329, 208}}, // (120 + 3960, 2505 + 360)
    {"Text6",    {4920, 2745, 975, 375},  {328, 183, 393, 208}}, // (120 + 4800, 2505 + 240)
    {"Check1",   {6120, 2820, 495, 255},  {408, 188, 441, 205}}, // (120 + 6000, 2505 + 315)
    {"Label11",  {120, 3360, 2250, 180},  {8, 224, 158, 236}},
    {"Label10",  {2520, 3360, 1890, 180}, {168, 224, 294, 236}},
    {"Label12",  {4560, 3360, 2070, 180}, {304, 224, 442, 236}},
};
// clang-format on

void PrintTo(const Placement& p, std::ostream* out)
{
    *out << p.control;
}

// Each of a control's four values in pixels at a dpi, rounded on its own.
RECT atDpi(const TwipsRect& twips, UINT dpi)
{
    const auto px = [dpi](int value) {
        return static_cast<LONG>(std::lround(value * static_cast<double>(dpi) / 1440));
    };
    return {px(twips.left), px(twips.top), px(twips.left) + px(twips.width), px(twips.top) + px(twips.height)};
}

class Geometry : public ::testing::TestWithParam<Placement> {};

// At the dpi the window starts with: 96 (100 %), or 144 (150 %) when the
// tests run again with Wine's LogPixels at 144.
TEST_P(Geometry, isTheTwipsTableAtTheWindowsDpi)
{
    ViewHarness w;
    const Placement& p = GetParam();
    const HWND control = w.child(p.control);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), w.window.handle()) << "every control is a child of the window itself";
    EXPECT_EQ(w.inClientArea(control), atDpi(p.inWindow, w.window.dpi())) << "at " << w.window.dpi() << " dpi";
    EXPECT_EQ(atDpi(p.inWindow, 96), p.at96);
    if (w.window.dpi() == 96) {
        EXPECT_EQ(w.inClientArea(control), p.at96);
    }
}

// What the window does when Windows moves it to a screen of another dpi.
TEST_P(Geometry, followsTheWindowToAnotherDpi)
{
    ViewHarness w;
    const UINT other = w.window.dpi() == 144 ? 96 : 144;
    w.changeDpi(other);
    ASSERT_EQ(w.window.dpi(), other);
    EXPECT_EQ(w.inClientArea(w.child(GetParam().control)), atDpi(GetParam().inWindow, other));
}

INSTANTIATE_TEST_SUITE_P(Controls, Geometry, ::testing::ValuesIn(kPlacements),
                         [](const auto& test) { return std::string(test.param.control); });

TEST(Window, hasTheDesignsClientAreaAtEachDpi)
{
    ViewHarness w;
    for (const UINT dpi : {96u, 144u, 96u}) {
        w.changeDpi(dpi);
        // 6825 × 3630 twips: 15 twips a pixel at 96 dpi, 10 at 144.
        EXPECT_EQ(w.clientSize(), dpi == 96 ? SIZE({455, 242}) : SIZE({683, 363})) << dpi;
    }
}

struct NativeControl {
    const char* control;
    const wchar_t* className;
    LONG type; // the style bits that name the kind of button, combo box or label
    LONG mask; // which bits those are
    bool tabStop;
};

// clang-format off
const NativeControl kNative[] = {
    {"Frame1", L"Button", BS_GROUPBOX, BS_TYPEMASK, false},
    {"Frame2", L"Button", BS_GROUPBOX, BS_TYPEMASK, false},
    {"Label1", L"Static", SS_OWNERDRAW, SS_TYPEMASK | SS_NOTIFY, false},
    {"Label9", L"Static", SS_OWNERDRAW, SS_TYPEMASK | SS_NOTIFY, false},
    {"Label10", L"Static", SS_OWNERDRAW | SS_NOTIFY, SS_TYPEMASK | SS_NOTIFY, false},
    {"Label11", L"Static", SS_OWNERDRAW | SS_NOTIFY, SS_TYPEMASK | SS_NOTIFY, false},
    {"Label12", L"Static", SS_OWNERDRAW | SS_NOTIFY, SS_TYPEMASK | SS_NOTIFY, false},
    {"Text1", L"Edit", 0, ES_PASSWORD, true},
    {"Text3", L"Edit", ES_PASSWORD, ES_PASSWORD, true},
    {"Text8", L"Edit", 0, ES_PASSWORD, true},
    {"Combo1", L"ComboBox", CBS_DROPDOWN, 3, true},
    {"Command1", L"Button", BS_PUSHBUTTON, BS_TYPEMASK & ~BS_DEFPUSHBUTTON, true},
    {"Command8", L"Button", BS_PUSHBUTTON, BS_TYPEMASK & ~BS_DEFPUSHBUTTON, true},
    // The model decides which option is selected and what a click on the lock does.
    {"Option1", L"Button", BS_RADIOBUTTON, BS_TYPEMASK, true},
    {"Option2", L"Button", BS_RADIOBUTTON, BS_TYPEMASK, false},
    {"Check1", L"Button", BS_3STATE, BS_TYPEMASK, true},
};
// clang-format on

void PrintTo(const NativeControl& c, std::ostream* out)
{
    *out << c.control;
}

class Kinds : public ::testing::TestWithParam<NativeControl> {};

TEST_P(Kinds, areNativeControlsOfTheirKind)
{
    ViewHarness w;
    const NativeControl& c = GetParam();
    const HWND control = w.child(c.control);
    EXPECT_EQ(classOf(control), c.className);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    EXPECT_EQ(style & c.mask, c.type);
    EXPECT_EQ((style & WS_TABSTOP) != 0, c.tabStop);
    EXPECT_EQ(GetWindow(control, GW_CHILD) == nullptr, c.className != std::wstring(L"ComboBox"))
        << "only the combo box holds a window of its own (its edit field)";
}

INSTANTIATE_TEST_SUITE_P(Controls, Kinds, ::testing::ValuesIn(kNative),
                         [](const auto& test) { return std::string(test.param.control); });

TEST(Window, showsEveryCaptionAndInitialText)
{
    ViewHarness w;
    for (const Control* control : w.h.form.controls())
        EXPECT_EQ(w.textOf(w.child(control->name().c_str())), control->caption()) << control->name();
    EXPECT_EQ(w.textOf(w.window.handle()), Form1::idleTitle());
    EXPECT_EQ(SendMessageW(w.child("Text3"), EM_GETPASSWORDCHAR, 0, 0), L'#');
}

TEST(Window, everyControlHasTheWindowsFontAndTheLinksTheirOwn)
{
    ViewHarness w;
    for (const UINT dpi : {96u, 144u}) {
        w.changeDpi(dpi);
        for (const Control* control : w.h.form.controls()) {
            const LOGFONTW font = w.fontOf(control->name().c_str());
            const bool link =
                control->name() == "Label10" || control->name() == "Label11" || control->name() == "Label12";
            EXPECT_EQ(std::wstring(font.lfFaceName), L"宋体") << control->name();
            EXPECT_EQ(font.lfHeight, -MulDiv(9, static_cast<int>(dpi), 72)) << control->name() << " at " << dpi;
            EXPECT_EQ(font.lfUnderline != 0, link) << control->name();
        }
    }
}

// The links' underline lies inside their labels whatever the face's cell
// (the stand-in for 宋体 under Wine is taller than 宋体 itself); captions
// have none.
TEST(Window, theLinksAreDrawnUnderlined)
{
    ViewHarness w;
    w.window.start();
    for (const char* link : {"Label10", "Label11", "Label12"}) {
        RECT area{};
        GetClientRect(w.child(link), &area);
        EXPECT_GE(w.longestInkRun(w.child(link)), area.right * 3 / 5) << link;
    }
    for (const char* caption : {"Label1", "Label5", "Label9"})
        EXPECT_LT(w.longestInkRun(w.child(caption)), 20) << caption;
}

TEST(Window, startsCentredWithTheFirstControlFocused)
{
    ViewHarness w;
    w.h.form.Form_Load();
    w.window.start();
    RECT frame{};
    GetWindowRect(w.window.handle(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(w.window.handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    EXPECT_LE(std::abs((frame.left + frame.right) - (screen.left + screen.right)), 2);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (screen.top + screen.bottom)), 2);
    EXPECT_TRUE(IsWindowVisible(w.window.handle()));
    EXPECT_EQ(w.focusedControl(), "Command1");
    EXPECT_NE(SendMessageW(w.window.handle(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendMessageW(w.window.handle(), WM_GETICON, ICON_BIG, 0), 0);
}

// Tab visits the focus order, with the dialog manager's rule for option
// buttons: only the selected one is a tab stop. Windows clicks an option
// button that gets the focus from the keyboard; a Tab landing on the other
// one would switch the backup mode.
TEST(Window, tabFollowsTheDesignsFocusOrder)
{
    ViewHarness w;
    w.window.start();
    const std::vector<std::string> expected = {"Command1", "Text1",    "Text2",    "Text3",    "Text4",
                                               "Text5",    "Combo1",   "Command2", "Command3", "Command4",
                                               "Command5", "Command6", "Command7", "Command8", "Option1",
                                               "Text6",    "Text7",    "Text8",    "Check1",   "Command1"};
    std::vector<std::string> visited{w.focusedControl()};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        w.pressTab();
        visited.push_back(w.focusedControl());
    }
    EXPECT_EQ(visited, expected);
    EXPECT_TRUE(w.h.form.Option1.value()) << "tabbing selects nothing";

    w.h.form.Option2.setValue(true);
    w.window.windowFor(w.h.form.Command8).focus();
    w.pressTab();
    EXPECT_EQ(w.focusedControl(), "Option2") << "the selected option is the group's stop";
    w.h.form.Option2.setValue(false);
    w.window.windowFor(w.h.form.Command8).focus();
    w.pressTab();
    EXPECT_EQ(w.focusedControl(), "Option2") << "with none selected, the first of the focus order";
}

TEST(Window, optionButtonsShowWhatTheModelSelects)
{
    ViewHarness w;
    w.window.start();
    const HWND first = w.child("Option1");
    const HWND second = w.child("Option2");
    w.h.form.Option1.setValue(false);
    EXPECT_EQ(SendMessageW(first, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(second, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    SendMessageW(second, BM_CLICK, 0, 0);
    EXPECT_TRUE(w.h.form.Option2.value());
    EXPECT_EQ(SendMessageW(second, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(first, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Clicking the selected one keeps it selected, as the model says.
    SendMessageW(second, BM_CLICK, 0, 0);
    EXPECT_TRUE(w.h.form.Option2.value());
    EXPECT_EQ(SendMessageW(second, BM_GETCHECK, 0, 0), BST_CHECKED);

    SendMessageW(first, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(first, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(second, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(w.h.form.Option2.value());
}

TEST(Window, clicksReachTheModel)
{
    ViewHarness w;
    w.window.start();
    const HWND lock = w.child("Check1");
    SendMessageW(lock, BM_CLICK, 0, 0);
    EXPECT_EQ(w.h.form.Check1.value(), 1);
    EXPECT_EQ(w.textOf(lock), "解");
    EXPECT_EQ(SendMessageW(lock, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(w.child("Text8")));
    SendMessageW(lock, BM_CLICK, 0, 0);
    EXPECT_EQ(w.h.form.Check1.value(), 0);
    EXPECT_EQ(w.textOf(lock), "锁");
    EXPECT_TRUE(IsWindowEnabled(w.child("Text8")));

    w.clickLabel("Label10");
    w.clickLabel("Label1"); // a caption, not a link: nothing happens
    SendMessageW(w.child("Command7"), BM_CLICK, 0, 0);
    EXPECT_EQ(w.h.urls.opened, std::vector<std::string>{Sites::kMarket});
    EXPECT_EQ(w.h.messages.texts(), std::vector<std::string>{"暂无此功能!"});
}

// Typing in the middle of a field: a view that wrote the model's echo back
// would move the cursor to the end after the first key.
TEST(Window, typingUpdatesTheModelWithoutEcho)
{
    ViewHarness w;
    w.window.start();
    for (const char* name : {"Text1", "Text6", "Text3"}) {
        const HWND edit = w.child(name);
        TextBox& model = *static_cast<TextBox*>(w.h.form.findControl(name));
        const std::string before = model.text();
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, 0);
        w.type(edit, L"中y");
        EXPECT_EQ(model.text(), "中y" + before) << name;
        DWORD caret = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
        EXPECT_EQ(caret, 2u) << name;
    }
    EXPECT_EQ(w.textOf(w.child("Text3")), "中y") << "the field holds the text; it draws # for each character";
}

TEST(Window, theComboBoxNeitherInsertsNorLosesItsSelection)
{
    ViewHarness w;
    w.window.start();
    ComboBox& model = w.h.form.Combo1;
    model.addItem("master");
    model.addItem("sales");
    const HWND combo = w.child("Combo1");
    const HWND edit = w.comboEdit();
    SetFocus(edit);
    w.type(edit, L"ma");
    EXPECT_EQ(model.text(), "ma");
    w.type(edit, L"ster2\r");
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(model.listCount(), 2u);
    EXPECT_EQ(model.text(), "master2");
    EXPECT_EQ(model.listIndex(), -1);

    // Choosing an entry with the keyboard selects the model's entry.
    w.key(edit, VK_DOWN);
    w.key(edit, VK_DOWN);
    EXPECT_EQ(model.listIndex(), 1);
    EXPECT_EQ(model.text(), "sales");
    EXPECT_EQ(w.textOf(combo), "sales");
}

TEST(Window, listChangesOfTheModelRefillTheComboBox)
{
    ViewHarness w;
    ComboBox& model = w.h.form.Combo1;
    const HWND combo = w.child("Combo1");
    model.addItem("a");
    model.addItem("b");
    model.addItem("中文库");
    model.setText("typed");
    model.removeItem(1);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(w.comboItem(0), "a");
    EXPECT_EQ(w.comboItem(1), "中文库");
    EXPECT_EQ(w.textOf(combo), "typed");
    model.setListIndex(1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(w.textOf(combo), "中文库");
    EXPECT_EQ(model.listIndex(), 1) << "the view's own writing is not the operator's typing";
}

// The list as the settings file left it before the window was made, then
// "D" removing the entry shown: the native box holds what the model holds.
TEST(Window, theComboBoxShowsTheListTheModelHeldBeforeTheView)
{
    ViewHarness w([](Form1& form) {
        for (const char* name : {"shopdb", "销售库", "crm"})
            form.Combo1.addItem(name);
        form.Combo1.setText("shopdb");
    });
    w.window.start();
    const HWND combo = w.child("Combo1");
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(w.comboItem(0), "shopdb");
    EXPECT_EQ(w.comboItem(1), "销售库");
    EXPECT_EQ(w.comboItem(2), "crm");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(w.textOf(combo), "shopdb");

    SendMessageW(w.child("Command3"), BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(w.comboItem(0), "销售库");
    EXPECT_EQ(w.comboItem(1), "crm");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(w.textOf(combo), "销售库");
    EXPECT_EQ(w.h.form.Combo1.items(), (std::vector<std::string>{"销售库", "crm"}));
}

// Clicks made while a handler held the window (a statement runs on its one
// thread until the server answers) are dropped, not replayed afterwards.
TEST(Window, clicksThatWaitedForTheWindowAreDropped)
{
    ViewHarness w;
    w.window.start();
    Win32::MessageLoop loop(w.window.handle());
    const HWND button = w.child("Command7");
    const auto click = [button] {
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    click();
    Sleep(static_cast<DWORD>(kStaleInputMs) + 500); // the window is busy
    loop.handleWaiting();
    EXPECT_TRUE(w.h.messages.boxes.empty()) << "a click replayed long after it was made";
    click();
    loop.handleWaiting();
    EXPECT_EQ(w.h.messages.texts(), std::vector<std::string>{"暂无此功能!"}) << "a prompt click reaches the model";
}

TEST(Window, modelChangesReachTheControls)
{
    ViewHarness w;
    Form1& form = w.h.form;
    form.Text1.setText("10.0.0.9");
    EXPECT_EQ(w.textOf(w.child("Text1")), "10.0.0.9");
    form.Command1.setCaption("停止备份");
    EXPECT_EQ(w.textOf(w.child("Command1")), "停止备份");
    form.Text5.setEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(w.child("Text5")));
    form.Command7.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(w.child("Command7")));
    form.Option2.setValue(true);
    EXPECT_EQ(SendMessageW(w.child("Option2"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(w.child("Option1"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    form.setCaption(Form1::runningTitle());
    EXPECT_EQ(w.textOf(w.window.handle()), Form1::runningTitle());

    const std::pair<int, LRESULT> values[] = {{1, BST_CHECKED}, {2, BST_INDETERMINATE}, {0, BST_UNCHECKED}};
    for (const auto& [value, state] : values) {
        form.Check1.setValue(value);
        EXPECT_EQ(SendMessageW(w.child("Check1"), BM_GETCHECK, 0, 0), state) << value;
    }

    const auto idle = SendMessageW(w.window.handle(), WM_GETICON, ICON_SMALL, 0);
    form.setIcon(Icon::Running);
    const auto running = SendMessageW(w.window.handle(), WM_GETICON, ICON_SMALL, 0);
    EXPECT_NE(running, 0);
    EXPECT_NE(running, idle) << "the lit bulb replaces the white one";
}

TEST(Window, followsTheModelsPosition)
{
    ViewHarness w;
    w.window.start();
    w.h.form.Move(1440, 2880); // one and two inches
    RECT frame{};
    GetWindowRect(w.window.handle(), &frame);
    EXPECT_EQ(frame.left, static_cast<LONG>(w.window.dpi()));
    EXPECT_EQ(frame.top, static_cast<LONG>(2 * w.window.dpi()));
    // Another change of the window leaves a position the operator chose alone.
    SetWindowPos(w.window.handle(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    w.h.form.setCaption(Form1::runningTitle());
    GetWindowRect(w.window.handle(), &frame);
    EXPECT_EQ(frame.left, 40);
    EXPECT_EQ(frame.top, 50);
}

TEST(Window, isMinimisedWhereNoTrayCouldBringItBack)
{
    ViewHarness w;
    w.h.tray.available = false;
    w.h.form.Form_Load();
    w.window.start();
    SendMessageW(w.child("Command5"), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsIconic(w.window.handle()));
    EXPECT_FALSE(GetWindowLongW(w.window.handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "it keeps its taskbar button";

    // The operator restores it from the taskbar; "托盘" works again.
    ShowWindow(w.window.handle(), SW_RESTORE);
    EXPECT_FALSE(w.h.form.minimized());
    EXPECT_TRUE(IsWindowEnabled(w.child("Command5")));
    EXPECT_EQ(w.h.form.mnuChange.caption(), "隐藏托盘");
    SendMessageW(w.child("Command5"), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsIconic(w.window.handle()));
}

TEST(Window, leavesTheTaskbarBehindATrayIconAndComesBack)
{
    ViewHarness w;
    w.h.form.Form_Load();
    w.window.start();
    w.h.form.iconm();
    EXPECT_TRUE(GetWindowLongW(w.window.handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(IsWindowVisible(w.window.handle()));

    SendMessageW(w.child("Command5"), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(w.window.handle()));
    w.h.form.TrayNotified(TrayService::Event::DoubleClick);
    EXPECT_TRUE(IsWindowVisible(w.window.handle()));
    EXPECT_TRUE(IsWindowEnabled(w.child("Command5")));
}

// The window filled in as for the demo server, for the README.
TEST(Window, screenshot)
{
    ViewHarness w;
    Form1& form = w.h.form;
    form.Form_Load();
    form.Text3.setText("Secret#1");
    form.Combo1.addItem("sales");
    form.Combo1.addItem("销售");
    form.Combo1.setText("sales");
    form.Text5.setText("D:\\数据备份\\");
    form.Text8.setText("03:00:00");
    w.window.start();
    w.drainMessages();
    const std::wstring path =
        wide(ONDREL_BUILD_DIR) + L"\\ondrel-window-windows-" + std::to_wstring(w.window.dpi()) + L".bmp";
    EXPECT_TRUE(saveScreenshot(w.window.handle(), path)) << utf8(path);
}

struct ExitPath {
    const char* name;
    void (*take)(ViewHarness&);
};

const ExitPath kExitPaths[] = {
    {"ExitButton", [](ViewHarness& w) { SendMessageW(w.child("Command8"), BM_CLICK, 0, 0); }},
    {"CloseBox", [](ViewHarness& w) { SendMessageW(w.window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"AltF4", [](ViewHarness& w) { SendMessageW(w.window.handle(), WM_CLOSE, 0, 0); }},
    {"SessionEnd",
     [](ViewHarness& w) {
         EXPECT_EQ(SendMessageW(w.window.handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
         EXPECT_FALSE(w.h.form.unloaded()) << "asking is not ending";
         SendMessageW(w.window.handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
     }},
};

void PrintTo(const ExitPath& path, std::ostream* out)
{
    *out << path.name;
}

class ExitPaths : public ::testing::TestWithParam<ExitPath> {};

// Every way out ends the program and takes the tray icon away; nothing is saved.
TEST_P(ExitPaths, endTheProgramAndRemoveTheTrayIcon)
{
    ViewHarness w;
    w.h.form.Form_Load();
    w.window.start();
    w.h.form.iconm();
    ASSERT_TRUE(w.h.tray.icon.has_value());

    GetParam().take(w);

    EXPECT_TRUE(w.h.form.unloaded());
    EXPECT_FALSE(w.h.tray.icon.has_value());
    ASSERT_FALSE(w.h.tray.requests.empty());
    EXPECT_EQ(w.h.tray.requests.back().kind, FakeTrayService::Hide);
    EXPECT_EQ(w.window.handle(), nullptr) << "the window is gone";
    EXPECT_TRUE(w.quitPosted()) << "and with it the message loop";
    EXPECT_TRUE(w.h.messages.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Window, ExitPaths, ::testing::ValuesIn(kExitPaths),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(ExitPaths, aSessionEndThatIsCancelledEndsNothing)
{
    ViewHarness w;
    w.window.start();
    SendMessageW(w.window.handle(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(w.window.handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(w.h.form.unloaded());
    EXPECT_NE(w.window.handle(), nullptr);
}

} // namespace
} // namespace ondrel::win32test
