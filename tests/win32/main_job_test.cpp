// The operator's job on Windows, over the whole road: Form1 with the Win32
// files, GBK and shell (old backups go to the recycle bin through
// SHFileOperationW), Windows' odbc32 (Wine hands it to unixODBC and
// FreeTDS), the stand-in on loopback, and a clock the test moves.
//
// Wine's recycle bin is the freedesktop trash of the road's own home
// (ONDREL_ROAD_TRASH): it keeps an item from the same device; from another
// device (the road mounts a tmpfs as one, ONDREL_ROAD_OTHER_DEVICE) it
// copies a file in but deletes a folder outright, as Windows deletes
// anything on a volume without a recycle bin.

#include "standin_road.h"
#include "wide_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_executable_info.h"
#include "fakes/fake_folder_picker.h"
#include "fakes/fake_tray_service.h"
#include "fakes/fake_url_opener.h"
#include "fakes/fake_window_system.h"
#include "fakes/file_bytes.h"
#include "fakes/recording_message_box.h"
#include "fakes/temp_folder.h"
#include "platform/odbc/odbc_data_access.h"
#include "platform/win32/win32_file_io.h"
#include "platform/win32/win32_schedule_lock.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text_encoding.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;

const std::string kServerDown = "连接服务器超时或MSSQL数据不存在,报错号:-2147467259";
const std::string kNoSuchDatabase = "没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900";

// Windows' shell, with a look at the disk whenever an item is about to
// go to the recycle bin.
class WatchedShell final : public Win32Shell {
public:
    bool moveToTrash(const std::string& path, const std::string& backupFolder) override
    {
        if (beforeTrash)
            beforeTrash(path);
        const bool taken = Win32Shell::moveToTrash(path, backupFolder);
        outcomes.push_back(taken);
        return taken;
    }

    std::vector<bool> outcomes;

    std::function<void(const std::string& path)> beforeTrash;
};

// "Z:\a\b" as this machine names it: "/a/b".
std::string unixPath(std::string windowsPath)
{
    if (windowsPath.size() >= 2 && (windowsPath[0] == 'Z' || windowsPath[0] == 'z') && windowsPath[1] == ':')
        windowsPath.erase(0, 2);
    std::replace(windowsPath.begin(), windowsPath.end(), '\\', '/');
    while (windowsPath.size() > 1 && windowsPath.back() == '/')
        windowsPath.pop_back();
    return windowsPath;
}

// A trash info file's Path, whose bytes may be %-escaped.
std::string unescaped(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// What the recycle bin holds that was deleted from that Windows path (the
// tests share the bin; their folders are their own).
std::vector<fs::path> recycledFrom(const std::string& windowsPath)
{
    const fs::path trash(environmentVariable(L"ONDREL_ROAD_TRASH"));
    std::vector<fs::path> items;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(trash / L"info", error)) {
        if (entry.path().extension() != L".trashinfo")
            continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.rfind("Path=", 0) == 0 && unescaped(line.substr(5)) == unixPath(windowsPath))
                items.push_back(trash / L"files" / entry.path().stem());
        }
    }
    return items;
}

// The tests share the bin: where it already holds that name, Wine adds
// "-" and a number.
bool underItsOwnName(const fs::path& item, const std::string& name)
{
    const std::string held = utf8Of(item.filename());
    return held == name || held.rfind(name + "-", 0) == 0;
}

// Whether the folder holds, at any depth, at least that many backup sets
// the stand-in wrote.
bool anyNewBackupUnder(const std::string& folder, int atLeast)
{
    int found = 0;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(u8path(folder), error)) {
        if (entry.is_regular_file() && readBytes(entry.path()).rfind("SSBKSET1", 0) == 0)
            ++found;
    }
    return found >= atLeast;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(u8path(folder), error))
        names.push_back(utf8Of(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// Where the backup folder lies: beside Wine's recycle bin, or on a volume
// whose items it cannot keep.
enum class Volume { SameDevice, OtherDevice };

void PrintTo(Volume volume, std::ostream* os)
{
    *os << (volume == Volume::SameDevice ? "the recycle bin's device" : "another device");
}

// Form1 with Windows' own seams wherever the job touches the system; the
// clock is the test's, the boxes are recorded.
class MainJob : public ::testing::Test {
protected:
    void SetUp() override { useVolume(Volume::SameDevice); }

    MainJob()
    {
        f.Form_Load();
        f.Text1.setText(utf8(road.server()));
        f.Text3.setText(utf8(road.password()));
    }

    void TearDown() override
    {
        std::error_code error;
        if (!runFolder.empty())
            fs::remove_all(u8path(runFolder), error);
    }

    void useVolume(Volume volume, const std::string& subfolder = {})
    {
        std::wstring base = road.backups();
        if (volume == Volume::OtherDevice) {
            base = environmentVariable(L"ONDREL_ROAD_OTHER_DEVICE");
            if (base.empty())
                GTEST_SKIP() << "the road has no other volume (mounting a tmpfs was refused): "
                                "the recycle bin's outright deletion is not tested";
        }
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(test.begin(), test.end(), '/', '-');
        runFolder = utf8(base) + "\\JOB-" + std::to_string(GetCurrentProcessId()) + "-" + test;
        folder = runFolder + "\\" + subfolder;
        if (folder.back() != '\\')
            folder += '\\';
        f.Text5.setText(folder);
    }

    void start(std::initializer_list<std::string> databases)
    {
        for (const std::string& database : databases)
            f.Combo1.addItem(database);
        f.Command1.click();
        ASSERT_EQ(f.Command1.caption(), "停止备份") << (messages.boxes.empty() ? "" : messages.boxes.back().text);
    }
    // The seconds of the tick driver: one tick a second while the timer is on.
    void ticks(long long seconds)
    {
        for (long long i = 0; i < seconds; ++i) {
            clock.advanceSeconds(1);
            if (f.Timer1.enabled())
                f.Timer1_Timer();
        }
    }
    // Ticks from the second before the slot to the one after it.
    void slot(int hour, int minute)
    {
        clock.set(hour, minute, 0);
        clock.advanceSeconds(-2);
        ticks(3);
    }
    // The backup statements this test's runs sent (the tests share the server).
    std::vector<std::string> backupsSent() const
    {
        std::vector<std::string> mine;
        for (const std::string& statement : road.statements()) {
            if (statement.rfind("backup database", 0) == 0 && statement.find(quoted(runFolder)) != std::string::npos)
                mine.push_back(statement);
        }
        return mine;
    }
    static std::string quoted(std::string text)
    {
        for (std::size_t at = text.find('\''); at != std::string::npos; at = text.find('\'', at + 2))
            text.insert(at, 1, '\'');
        return text;
    }
    // Yesterday's backups, written before the schedule starts.
    void lastNight(std::initializer_list<std::string> names)
    {
        fs::create_directories(u8path(folder));
        for (const std::string& file : names)
            writeBytes(folder + file, "last night's " + file);
    }
    // Whether a file is a backup set the stand-in wrote, not one of last
    // night's texts.
    static bool isNewBackup(const std::string& path) { return readBytes(path).rfind("SSBKSET1", 0) == 0; }

    StandinRoad road = StandinRoad::fromEnvironment();
    TempFolder home; // the program's own folder, with its settings file
    FakeClock clock;
    RecordingMessageBox messages;
    FakeExecutableInfo executable{home.text(), "ondrel"};
    Win32FileIo files;
    Win32TextEncoding encoding;
    WatchedShell shell;
    FakeFolderPicker folderPicker;
    FakeTrayService tray;
    FakeUrlOpener urls;
    FakeWindowSystem windowSystem;
    OdbcDataAccess dataAccess;
    Win32ScheduleLock scheduleLock;
    Form1 f{{clock, messages, executable, files, encoding, shell, folderPicker, tray, urls, windowSystem, dataAccess,
             scheduleLock}};
    std::string runFolder;
    std::string folder;
};

class OnEachVolume : public MainJob, public ::testing::WithParamInterface<Volume> {
protected:
    void SetUp() override { useVolume(GetParam()); }
};

std::string volumeName(const ::testing::TestParamInfo<Volume>& info)
{
    return info.param == Volume::SameDevice ? "SameDevice" : "OtherDevice";
}

// Replace mode: each old file waits while its replacement is written, and
// only then goes to the recycle bin, from its own place under its own name.
// A database the server refuses shows one box and keeps its old file where
// it was; the ticks and the slots go on.
TEST_P(OnEachVolume, replaceModeRecyclesTheOldFileOnlyOnceItsReplacementIsWritten)
{
    f.Text8.setText("12:00:00");
    f.Text7.setText("18:00:00");
    lastNight({"Sales.bak", "crm2.bak"});
    ASSERT_NO_FATAL_FAILURE(start({"Sales"}));
    f.Combo1.addItem("crm2"); // dropped on the server since the schedule started
    std::vector<std::string> recycling;
    bool replacementWrittenFirst = true;
    shell.beforeTrash = [&](const std::string& path) {
        recycling.push_back(path);
        replacementWrittenFirst = replacementWrittenFirst && anyNewBackupUnder(folder, 1);
    };
    slot(12, 0);

    EXPECT_EQ(backupsSent(),
              (std::vector<std::string>{"backup database [Sales] to disk=N'" + folder + "Sales.bak'",
                                        "backup database [crm2] to disk=N'" + folder + "crm2.bak'"}));
    EXPECT_EQ(recycling, std::vector<std::string>{folder + "Sales.bak"}) << "from its own place";
    EXPECT_TRUE(replacementWrittenFirst) << "the old file went before its replacement existed";
    ASSERT_EQ(
        messages.texts(),
        (std::vector<std::string>{"备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。", kNoSuchDatabase}));
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"Sales.bak", "crm2.bak"})) << "nothing left aside";
    EXPECT_TRUE(isNewBackup(folder + "Sales.bak"));
    EXPECT_EQ(readBytes(folder + "crm2.bak"), "last night's crm2.bak") << "the failed backup's old file is in place";
    EXPECT_EQ(shell.outcomes, std::vector<bool>{true}) << "gone from there";
    // Wine copies a file from another device into its trash.
    const std::vector<fs::path> recycled = recycledFrom(folder + "Sales.bak");
    ASSERT_EQ(recycled.size(), 1u) << "in the recycle bin, recorded where it was";
    EXPECT_TRUE(underItsOwnName(recycled[0], "Sales.bak")) << utf8Of(recycled[0]);
    EXPECT_EQ(readBytes(recycled[0]), "last night's Sales.bak");
    EXPECT_TRUE(recycledFrom(folder + "crm2.bak").empty());

    // The ticks go on; the next slot replaces the backup the first one wrote.
    const std::string first = readBytes(folder + "Sales.bak");
    ticks(60);
    EXPECT_EQ(messages.boxes.size(), 2u);
    slot(18, 0);
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(backupsSent().size(), 4u);
    EXPECT_EQ(messages.boxes.size(), 3u) << "the refused database, once a slot";
    EXPECT_EQ(readBytes(folder + "Sales.bak").size(), first.size()) << "one backup set, not two appended";
    const std::vector<fs::path> twice = recycledFrom(folder + "Sales.bak");
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_TRUE(std::any_of(twice.begin(), twice.end(), [&](const fs::path& p) { return readBytes(p) == first; }));
}

// Time-slot mode: a second slot in the same hour sends the hour's dated
// folder, with its files, to the recycle bin once the new set is written
// (on the tmpfs it is deleted outright: only then).
TEST_P(OnEachVolume, timeSlotModeRecyclesTheHoursFolderOnlyOnceTheNewSetIsWritten)
{
    f.Option2.setValue(true);
    f.Text8.setText("12:00:00");
    f.Text7.setText("12:30:00");
    ASSERT_NO_FATAL_FAILURE(start({"Sales", "销售"}));
    slot(12, 0);
    const std::string hour = folder + "2026年12月06日12时";
    EXPECT_EQ(backupsSent(),
              (std::vector<std::string>{"backup database [Sales] to disk=N'" + hour + "\\Sales.bak'",
                                        "backup database [销售] to disk=N'" + hour + "\\销售.bak'"}));
    EXPECT_EQ(namesIn(hour), (std::vector<std::string>{"Sales.bak", "销售.bak"}));
    const std::string earlier = readBytes(hour + "\\销售.bak");
    writeBytes(hour + "\\note.txt", "the operator's note");

    std::vector<std::string> recycling;
    bool newSetWrittenFirst = true;
    shell.beforeTrash = [&](const std::string& path) {
        recycling.push_back(path);
        // The earlier set's two and the new set's two.
        newSetWrittenFirst = newSetWrittenFirst && anyNewBackupUnder(folder, 4);
    };
    slot(12, 30);
    EXPECT_EQ(recycling, std::vector<std::string>{hour}) << "from its own place";
    EXPECT_EQ(shell.outcomes, std::vector<bool>{true}) << "gone from there";
    EXPECT_TRUE(newSetWrittenFirst) << "the earlier set went before the new one was written";
    EXPECT_EQ(backupsSent().size(), 4u);
    EXPECT_EQ(messages.boxes.size(), 1u) << messages.boxes.back().text;
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"2026年12月06日12时"}) << "nothing left aside";
    EXPECT_EQ(namesIn(hour), (std::vector<std::string>{"Sales.bak", "销售.bak"}));
    EXPECT_TRUE(isNewBackup(hour + "\\销售.bak"));
    const std::vector<fs::path> recycled = recycledFrom(hour);
    if (GetParam() == Volume::SameDevice) {
        ASSERT_EQ(recycled.size(), 1u);
        EXPECT_TRUE(underItsOwnName(recycled[0], "2026年12月06日12时")) << utf8Of(recycled[0]);
        EXPECT_EQ(readBytes(recycled[0] / L"note.txt"), "the operator's note");
        EXPECT_EQ(readBytes(recycled[0] / L"销售.bak"), earlier);
    } else {
        EXPECT_TRUE(recycled.empty()) << "Wine deletes a folder from another device outright";
    }

    // A run that fails keeps the set it would have replaced in the backup
    // folder, beside the new folder with what the failed run wrote.
    f.Text6.setText("12:45:00");
    f.Combo1.addItem("crm2");
    const std::string replaced = readBytes(hour + "\\销售.bak");
    slot(12, 45);
    EXPECT_EQ(messages.texts().back(), kNoSuchDatabase);
    const std::string aside = "2026年12月06日12时.20261206-124500.old";
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"2026年12月06日12时", aside}));
    EXPECT_EQ(readBytes(folder + aside + "\\2026年12月06日12时\\销售.bak"), replaced);
    EXPECT_EQ(shell.outcomes.size(), 1u) << "nothing recycled";
}

INSTANTIATE_TEST_SUITE_P(Wine, OnEachVolume, ::testing::Values(Volume::SameDevice, Volume::OtherDevice), volumeName);

// Names that need quoting, in a folder that needs it too: the statements
// are those the Linux edition sends, the files land under those names, and
// the recycle bin takes them from there.
TEST_F(MainJob, hostileNamesAndPathsReachTheServerAndTheRecycleBinIntact)
{
    useVolume(Volume::SameDevice, "o'brien]备份");
    f.Text7.setText("18:00:00");
    ASSERT_NO_FATAL_FAILURE(start({"a]b", "o'brien", "销售"}));
    slot(12, 0);
    slot(18, 0);
    const std::string path = quoted(folder);
    const std::vector<std::string> once{"backup database [a]]b] to disk=N'" + path + "a]b.bak'",
                                        "backup database [o'brien] to disk=N'" + path + "o''brien.bak'",
                                        "backup database [销售] to disk=N'" + path + "销售.bak'"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(backupsSent(), twice);
    const auto all = road.statements();
    for (const char* check : {"Select * From master.dbo.sysdatabases Where name = N'a]b'",
                              "Select * From master.dbo.sysdatabases Where name = N'o''brien'"})
        EXPECT_NE(std::find(all.begin(), all.end(), check), all.end()) << check;
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"a]b.bak", "o'brien.bak", "销售.bak"}));
    for (const char* file : {"a]b.bak", "o'brien.bak", "销售.bak"}) {
        EXPECT_TRUE(isNewBackup(folder + file)) << file;
        const std::vector<fs::path> recycled = recycledFrom(folder + file);
        ASSERT_EQ(recycled.size(), 1u) << file;
        EXPECT_TRUE(underItsOwnName(recycled[0], file)) << utf8Of(recycled[0]);
    }
    EXPECT_EQ(messages.boxes.size(), 1u) << messages.boxes.back().text;
}

// The server goes away while the schedule runs (a port nobody listens on):
// the slot fails at its first database with one box and keeps the old
// files where they were, and stopping takes effect at once.
TEST_F(MainJob, withTheServerDownASlotFailsAtOnceAndStoppingNeedsNoServer)
{
    lastNight({"Sales.bak", "crm.bak"});
    ASSERT_NO_FATAL_FAILURE(start({"Sales", "crm"}));
    f.Text1.setText("127.0.0.1,1");
    slot(12, 0);
    EXPECT_EQ(messages.boxes.size(), 2u);
    EXPECT_EQ(messages.boxes.back().text, kServerDown);
    EXPECT_TRUE(backupsSent().empty());
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"Sales.bak", "crm.bak"}));
    EXPECT_EQ(readBytes(folder + "Sales.bak"), "last night's Sales.bak");
    EXPECT_TRUE(recycledFrom(folder + "Sales.bak").empty());
    EXPECT_TRUE(f.Timer1.enabled());

    f.Command1.click();
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_EQ(messages.boxes.size(), 2u);
    slot(18, 0);
    EXPECT_EQ(messages.boxes.size(), 2u) << "nothing runs after the stop";
}

} // namespace
} // namespace ondrel::win32test
