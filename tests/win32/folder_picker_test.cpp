// "选择" with the shell's folder dialog: what SHBrowseForFolderW gives back
// for a folder, a drive root, an item without a path and a cancel, as it
// lands in the backup folder field.

#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "desktop.h"
#include "fakes/form_harness.h"
#include "platform/win32/win32_folder_picker.h"
#include "text/letter_case.h"
#include "wide_text.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;

// This process's folder dialog: the box with the shell's tree in it.
HWND findFolderDialog()
{
    struct Search {
        HWND found = nullptr;
    } search;
    EnumWindows(
        [](HWND window, LPARAM context) {
            if (processOf(window) != GetCurrentProcessId() || windowClass(window) != L"#32770"
                || !IsWindowVisible(window) || !FindWindowExW(window, nullptr, L"SysTreeView32", nullptr))
                return TRUE;
            reinterpret_cast<Search*>(context)->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Answers the dialog the test's thread opens next, from a thread of its
// own: selects an item (the dialog's own message does it), then presses OK,
// or cancels.
class DialogAnswer final {
public:
    DialogAnswer(PCIDLIST_ABSOLUTE item, bool ok)
        : m_thread([item, ok, this] {
            HWND dialog = nullptr;
            m_found = waitFor([&] { return (dialog = findFolderDialog()) != nullptr; });
            if (!m_found)
                return;
            if (item)
                SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(item));
            PostMessageW(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
        })
    {
    }
    ~DialogAnswer() { m_thread.join(); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    bool found()
    {
        m_thread.join();
        m_thread = std::thread([] {});
        return m_found;
    }

private:
    bool m_found = false;
    std::thread m_thread;
};

struct Choice {
    const char* name;
    // The item chosen: a path below the test's folder ("" for the folder
    // itself), a drive root, or a shell folder without a path.
    std::optional<std::wstring> below;
    const wchar_t* root;
    int shellFolder;
    bool ok;
};

const Choice kChoices[] = {
    {"FolderWithChineseAndMixedCase", L"Backups 数据 2024", nullptr, -1, true},
    {"DriveRoot", std::nullopt, L"C:\\", -1, true},
    {"ItemWithoutAPath", std::nullopt, nullptr, CSIDL_DRIVES, true},
    {"Cancelled", L"", nullptr, -1, false},
};

void PrintTo(const Choice& c, std::ostream* os)
{
    *os << c.name;
}

class FolderPicker : public ::testing::TestWithParam<Choice> {};

TEST_P(FolderPicker, fillsTheBackupFolderAsTheOperatorChoseIt)
{
    const Choice& choice = GetParam();
    Win32FolderPicker picker;
    FormHarness h(FormHarness::Seams{.folderPicker = &picker});
    Form1& form = h.form;
    form.Form_Load();

    std::wstring path;
    if (choice.below) {
        path = h.temp.path().wstring();
        if (!choice.below->empty()) {
            path += L"\\" + *choice.below;
            fs::create_directory(path);
        }
    } else if (choice.root) {
        path = choice.root;
    }
    PIDLIST_ABSOLUTE item = nullptr;
    if (choice.shellFolder >= 0)
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, choice.shellFolder, &item), S_OK);
    else
        ASSERT_EQ(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr), S_OK) << utf8(path);

    const std::string before = form.Text5.text();
    {
        DialogAnswer answer(item, choice.ok);
        form.Command4_Click();
        EXPECT_TRUE(answer.found()) << "no folder dialog opened";
    }
    CoTaskMemFree(item);

    if (!choice.ok) {
        EXPECT_EQ(form.Text5.text(), before);
        return;
    }
    // Upper case, one "\" at the end; Chinese as it is.
    std::string expected = LetterCase::upper(utf8(path));
    if (expected.empty() || expected.back() != '\\')
        expected += '\\';
    EXPECT_EQ(form.Text5.text(), expected);
    EXPECT_TRUE(form.Command3.enabled());
}

INSTANTIATE_TEST_SUITE_P(Win32, FolderPicker, ::testing::ValuesIn(kChoices),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace ondrel::win32test
