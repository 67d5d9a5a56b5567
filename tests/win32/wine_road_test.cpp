#include "wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

// The Wine prefix the Windows tests run in stands in for a Chinese
// Windows 10: its locale, the arguments and environment a program gets,
// and fonts that draw Chinese wherever the program and its message boxes
// put text. A fresh prefix draws Chinese as empty boxes.

namespace ondrel::win32test {
namespace {

TEST(WinePrefix, IsAChineseWindows10)
{
    EXPECT_EQ(GetACP(), 936u);
    EXPECT_EQ(GetUserDefaultUILanguage(), 0x0804);
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    EXPECT_EQ(std::wstring(locale), L"zh-CN");
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<RtlGetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    getVersion(&version);
    EXPECT_EQ(version.dwMajorVersion, 10u);
}

// CTest passes "宋体 é€" (cmake/WineTestRoad.cmake); the program must get it
// in UTF-16, whatever the ANSI code page.
TEST(WinePrefix, ArgumentsArriveIntact)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    ASSERT_NE(arguments, nullptr);
    const std::wstring last = arguments[count - 1];
    LocalFree(arguments);
    EXPECT_EQ(last, L"宋体 é€");
}

TEST(WinePrefix, TheRoadTellsWhereTheStandinListens)
{
    EXPECT_EQ(environmentVariable(L"ONDREL_STANDIN_SERVER").rfind(L"127.0.0.1,", 0), 0u);
    EXPECT_EQ(environmentVariable(L"ONDREL_STANDIN_BACKUPS").rfind(L"Z:\\", 0), 0u);
}

// Renders text with a font and returns the pixels.
std::vector<COLORREF> rendered(HFONT font, const wchar_t* text)
{
    constexpr int kWidth = 64, kHeight = 40;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 2, 2, text, lstrlenW(text));
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// A font without the characters draws each as the same empty box: two
// different characters drawing alike, or not at all, is that box.
void expectDrawsChinese(HFONT font, const std::string& what)
{
    const auto song = rendered(font, L"宋");
    const auto ti = rendered(font, L"体");
    const auto blank = rendered(font, L" ");
    EXPECT_NE(song, blank) << what << " draws nothing for 宋";
    EXPECT_NE(song, ti) << what << " draws 宋 and 体 alike: empty boxes";
}

struct FontUse {
    const char* name;
    std::function<LOGFONTW()> font;
};

void PrintTo(const FontUse& f, std::ostream* os)
{
    *os << f.name;
}

LOGFONTW named(const wchar_t* face, int points, bool underline = false)
{
    LOGFONTW font{};
    HDC screen = GetDC(nullptr);
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font.lfUnderline = underline;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

NONCLIENTMETRICSW systemFonts()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics;
}

class FontsDrawChinese : public ::testing::TestWithParam<FontUse> {};

TEST_P(FontsDrawChinese, WhereverThereIsText)
{
    const LOGFONTW description = GetParam().font();
    const HFONT font = CreateFontIndirectW(&description);
    ASSERT_NE(font, nullptr);
    expectDrawsChinese(font, GetParam().name);
    DeleteObject(font);
}

INSTANTIATE_TEST_SUITE_P(Wine, FontsDrawChinese,
                         ::testing::Values(FontUse{"Controls", [] { return named(L"宋体", 9); }},
                                           FontUse{"Links", [] { return named(L"宋体", 9, true); }},
                                           FontUse{"SimSun", [] { return named(L"SimSun", 9); }},
                                           FontUse{"DialogFont", [] { return named(L"MS Shell Dlg", 8); }},
                                           FontUse{"Captions", [] { return systemFonts().lfCaptionFont; }},
                                           FontUse{"Menus", [] { return systemFonts().lfMenuFont; }},
                                           FontUse{"Tooltips", [] { return systemFonts().lfStatusFont; }},
                                           FontUse{"MessageBoxes", [] { return systemFonts().lfMessageFont; }}),
                         [](const auto& test) { return std::string(test.param.name); });

std::wstring windowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// This process's top-level window of a class and title, or nothing.
HWND ownWindow(const wchar_t* className, const wchar_t* title)
{
    struct Search {
        const wchar_t* className;
        const wchar_t* title;
        HWND found = nullptr;
    } search{className, title};
    EnumWindows(
        [](HWND window, LPARAM context) {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (process != GetCurrentProcessId() || std::wstring(name) != s.className || windowText(window) != s.title)
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box shown from a thread of its own, closed when done with.
class ShownMessageBox final {
public:
    ShownMessageBox(const wchar_t* text, const wchar_t* title)
        : thread_([=] { MessageBoxW(nullptr, text, title, MB_OK); })
    {
        for (int i = 0; i < 200 && !box_; ++i) {
            box_ = ownWindow(L"#32770", title);
            if (!box_)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~ShownMessageBox()
    {
        if (!box_) {
            thread_.detach(); // never appeared: nothing to close
            return;
        }
        PostMessageW(box_, WM_COMMAND, IDOK, 0);
        thread_.join();
    }
    ShownMessageBox(const ShownMessageBox&) = delete;
    ShownMessageBox& operator=(const ShownMessageBox&) = delete;

    HWND box() const { return box_; }

private:
    std::thread thread_;
    HWND box_ = nullptr;
};

// A message box as the program shows it, read back through Win32 calls.
TEST(WinePrefix, AMessageBoxSpeaksChinese)
{
    const ShownMessageBox shown(L"数据库备份成功", L"提示");
    ASSERT_NE(shown.box(), nullptr) << "no message box appeared";
    const HWND ok = GetDlgItem(shown.box(), IDOK);
    EXPECT_EQ(windowText(ok), L"确定");
    HWND text = nullptr;
    EnumChildWindows(
        shown.box(),
        [](HWND child, LPARAM found) {
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (std::wstring(name) != L"Static" || GetWindowTextLengthW(child) == 0)
                return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&text));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(windowText(text), L"数据库备份成功");
    expectDrawsChinese(reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)), "the box's text");
    expectDrawsChinese(reinterpret_cast<HFONT>(SendMessageW(ok, WM_GETFONT, 0, 0)), "the box's button");
}

} // namespace
} // namespace ondrel::win32test
