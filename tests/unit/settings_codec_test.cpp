// The settings file's bytes, read and written without a window or a file.

#include <gtest/gtest.h>

#include "config/settings_codec.h"
#include "platform_seams.h"
#include "settings_file_bytes.h"

using namespace SettingsFileBytes;

namespace {

const PlatformTextEncoding kGbk;
const SettingsCodec kCodec(kGbk);

// The initial values of the window's controls.
Settings initialSettings()
{
    return {};
}

TEST(SettingsCodecWrite, workedExampleByteForByte)
{
    Settings s = initialSettings();
    s.server = "192.168.1.20";
    s.databases = {"shopdb", "crmdb"};
    s.backupFolder = "D:\\dbbak\\";
    s.replaceMode = false;
    s.timeSlotMode = true;
    const SettingsCodec::Written written = kCodec.write(s);
    EXPECT_EQ(written.bytes, kWorkedExample);
    EXPECT_EQ(written.bytes.substr(0, 24),
              std::string(
                  "\x2D\x2D\x2D\x2D\x2D\x2D\xB7\xFE\xCE\xF1\xC6\xF7\xC5\xE4\xD6\xC3\x2D\x2D\x2D\x2D\x2D\x2D\x0D\x0A"));
    EXPECT_TRUE(written.lossyFields.empty());
}

TEST(SettingsCodecWrite, initialValuesAnEmptyListAndChineseText)
{
    Settings s = initialSettings();
    EXPECT_EQ(kCodec.write(s).bytes,
              crlfLines({kServerHeader, "127.0.0.1", "sa", "", kListHeader, "0", kListEnd, kFolderHeader, " ",
                         kSystemHeader, "True", "False", "0", "12:00:00", "18:00:00", "03:00:00"}));

    s.databases = {"中文库"};
    s.backupFolder = "/备份/";
    s.slotLock = 1;
    const std::string bytes = kCodec.write(s).bytes;
    EXPECT_NE(bytes.find("\r\n1\r\n\xD6\xD0\xCE\xC4\xBF\xE2\r\n" + kListEnd + "\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n/\xB1\xB8\xB7\xDD/\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nTrue\r\nFalse\r\n1\r\n"), std::string::npos);
}

TEST(SettingsCodecWrite, namesTheFieldsGbkCannotHoldOnce)
{
    Settings s = initialSettings();
    s.password = "pw🙂";
    s.databases = {"a🙂", "b🙂", "plain"};
    const SettingsCodec::Written written = kCodec.write(s);
    EXPECT_NE(written.bytes.find("\r\npw?\r\n"), std::string::npos);
    EXPECT_NE(written.bytes.find("\r\na?\r\nb?\r\nplain\r\n"), std::string::npos);
    EXPECT_EQ(written.lossyFields, (std::vector<std::string>{"密码", "数据库列表"}));
}

// What the reader takes from each line: absent fields leave their controls
// as they are.
struct ReadCase {
    const char* name;
    std::string bytes;
    SettingsFromFile expected;
};

SettingsFromFile read(std::optional<std::string> server, std::vector<std::string> databases,
                      std::optional<std::string> folder, std::optional<bool> option1, std::optional<bool> option2,
                      std::optional<std::string> slot1, std::optional<std::string> slot2,
                      std::optional<std::string> slot3)
{
    SettingsFromFile s;
    s.server = std::move(server);
    s.account = "sa";
    s.databases = std::move(databases);
    s.backupFolder = std::move(folder);
    s.replaceMode = option1;
    s.timeSlotMode = option2;
    s.slot1 = std::move(slot1);
    s.slot2 = std::move(slot2);
    s.slot3 = std::move(slot3);
    return s;
}

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsCodecRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SettingsCodecRead, takesLinesByPosition)
{
    const SettingsCodec::Read result = kCodec.read(GetParam().bytes);
    EXPECT_FALSE(result.badLine) << result.badLine->what;
    const SettingsFromFile& got = result.settings;
    const SettingsFromFile& want = GetParam().expected;
    EXPECT_EQ(got.server, want.server);
    EXPECT_EQ(got.account, want.account);
    EXPECT_EQ(got.password, std::nullopt) << "an empty line is never applied";
    EXPECT_EQ(got.databases, want.databases);
    EXPECT_EQ(got.backupFolder, want.backupFolder);
    EXPECT_EQ(got.replaceMode, want.replaceMode);
    EXPECT_EQ(got.timeSlotMode, want.timeSlotMode);
    EXPECT_EQ(got.slot1, want.slot1);
    EXPECT_EQ(got.slot2, want.slot2);
    EXPECT_EQ(got.slot3, want.slot3);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsCodecRead,
    ::testing::Values(
        ReadCase{"workedExample", kWorkedExample,
                 read("192.168.1.20", {"shopdb", "crmdb"}, "D:\\dbbak\\", false, true, "12:00:00", "18:00:00", "03:00:00")},
        ReadCase{"headersAreNeverCompared",
                 crlfLines({"x", "192.168.1.20", "sa", "", "y", "1", "shopdb", "z", "w", "/b/", "v", "True", "False",
                            "1", "01:00:00", "02:00:00", "03:00:00"}),
                 read("192.168.1.20", {"shopdb"}, "/b/", true, false, "01:00:00", "02:00:00", "03:00:00")},
        ReadCase{"countAboveTheNamesShiftsEveryLaterLine",
                 withLines({"3", "shopdb", "crmdb", kListEnd, kFolderHeader, "D:\\dbbak\\", kSystemHeader, "False",
                            "True", "0", "12:00:00", "18:00:00", "03:00:00", "03:00:00"}),
                 read("192.168.1.20", {"shopdb", "crmdb", "请勿修改"}, "-------系统配置-------", true, false, "18:00:00",
                      "03:00:00", "03:00:00")},
        ReadCase{"bothOptionsTrue",
                 withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "True", "0", "a", "b", "c"}),
                 read("192.168.1.20", {}, "/b/", true, true, "a", "b", "c")},
        ReadCase{"optionsInAnyLetterCase",
                 withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "false", "FALSE", "1", "a", "b", "c"}),
                 read("192.168.1.20", {}, "/b/", false, false, "a", "b", "c")},
        ReadCase{"numbersAsOptionsAndBlanksAroundTheCount",
                 withLines({" 1 ", "x", kListEnd, kFolderHeader, "/b/", kSystemHeader, "0", "-1", "2", "a", "b", "c"}),
                 read("192.168.1.20", {"x"}, "/b/", false, true, "a", "b", "c")},
        ReadCase{"negativeCountAppendsNothing",
                 withLines({"-5", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "False", "0", "a", "b", "c"}),
                 read("192.168.1.20", {}, "/b/", true, false, "a", "b", "c")}),
    [](const ::testing::TestParamInfo<ReadCase>& param) { return param.param.name; });
// clang-format on

TEST(SettingsCodecReadLines, aLoneCrEndsALine)
{
    const SettingsCodec::Read result =
        kCodec.read(kServerHeader + "\r" + "a" + "\r\n" + "sa\r\r" + kListHeader + "\r0\r\n"
                    + crlfLines({kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "False", "0", "01:00:00",
                                 "02:00:00", "03:00:00"}));
    EXPECT_FALSE(result.badLine) << result.badLine->what;
    EXPECT_EQ(result.settings.server, "a");
    EXPECT_EQ(result.settings.account, "sa");
    EXPECT_EQ(result.settings.password, std::nullopt);
    EXPECT_TRUE(result.settings.databases.empty());
    EXPECT_EQ(result.settings.backupFolder, "/b/");
    EXPECT_EQ(result.settings.slot3, "03:00:00");
}

// One line ending in LF alone runs into the next: every later value would
// land one field off. Such a line is unreadable, wherever it stands.
TEST(SettingsCodecReadLines, aLineHoldingALineFeedIsUnreadable)
{
    const SettingsCodec::Read folder =
        kCodec.read(withLines({"2", "shopdb", "crmdb", kListEnd, kFolderHeader, "D:\\lf\n" + kSystemHeader, "False",
                               "True", "0", "12:00:00", "18:00:00", "03:00:00"}));
    ASSERT_TRUE(folder.badLine);
    EXPECT_EQ(folder.badLine->number, 11);
    EXPECT_NE(folder.badLine->what.find("“D:\\lf”"), std::string::npos) << folder.badLine->what;
    EXPECT_EQ(folder.settings.databases, (std::vector<std::string>{"shopdb", "crmdb"}));
    EXPECT_EQ(folder.settings.backupFolder, std::nullopt);
    EXPECT_EQ(folder.settings.timeSlotMode, std::nullopt);
    EXPECT_EQ(folder.settings.slot1, std::nullopt);

    // An entry takes no line from the list's end with it, and the list is
    // taken whole or not at all.
    const SettingsCodec::Read entry = kCodec.read(withLines(
        {"2", "shopdb", "crm\n" + kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "False", "0", "a", "b", "c"}));
    ASSERT_TRUE(entry.badLine);
    EXPECT_EQ(entry.badLine->number, 8);
    EXPECT_TRUE(entry.settings.databases.empty());
    EXPECT_EQ(entry.settings.backupFolder, std::nullopt);

    // The last line too, ended by LF where CR LF belongs.
    const SettingsCodec::Read last = kCodec.read(kWorkedExample.substr(0, kWorkedExample.size() - 2) + "\n");
    ASSERT_TRUE(last.badLine);
    EXPECT_EQ(last.badLine->number, 18);
    EXPECT_EQ(last.settings.slot2, "18:00:00");
    EXPECT_EQ(last.settings.slot3, std::nullopt);
}

// A line the file does not have is unreadable like any other: no value of
// an earlier line stands in for it.
TEST(SettingsCodecReadLines, aLineTheFileDoesNotHaveIsUnreadable)
{
    const SettingsCodec::Read cut = kCodec.read(kWorkedExample.substr(0, kWorkedExample.rfind("03:00:00")));
    ASSERT_TRUE(cut.badLine);
    EXPECT_EQ(cut.badLine->number, 18);
    EXPECT_NE(cut.badLine->what.find("文件在此行之前已结束"), std::string::npos) << cut.badLine->what;
    EXPECT_EQ(cut.settings.slot1, "12:00:00");
    EXPECT_EQ(cut.settings.slot2, "18:00:00");
    EXPECT_EQ(cut.settings.slot3, std::nullopt) << "slot 3 keeps its own value, not slot 2's";

    // A count of 20 with two names: the list would take the rest of the
    // file for names; nothing from the count on is taken.
    const SettingsCodec::Read count =
        kCodec.read(withLines({"20", "shopdb", "crmdb", kListEnd, kFolderHeader, "D:\\dbbak\\", kSystemHeader, "False",
                               "True", "0", "12:00:00", "18:00:00", "03:00:00"}));
    ASSERT_TRUE(count.badLine);
    EXPECT_EQ(count.badLine->number, 19);
    EXPECT_NE(count.badLine->what.find("第6行的数据库数量“20”"), std::string::npos) << count.badLine->what;
    EXPECT_EQ(count.settings.server, "192.168.1.20");
    EXPECT_TRUE(count.settings.databases.empty());
    EXPECT_EQ(count.settings.backupFolder, std::nullopt);
    EXPECT_EQ(count.settings.replaceMode, std::nullopt);
    EXPECT_EQ(count.settings.timeSlotMode, std::nullopt);
    EXPECT_EQ(count.settings.slot1, std::nullopt);
}

// Editors on Windows offer to save as UTF-8 with a byte-order mark.
TEST(SettingsCodecReadLines, aFileStartingWithTheUtf8ByteOrderMarkIsReadAsUtf8)
{
    const std::string utf8 = "\xEF\xBB\xBF"
                             "------服务器配置------\r\n服务器甲\r\nsa\r\n\r\n------需备份列表------\r\n2\r\n销售库\r\n"
                             "crm\r\n请勿修改\r\n-------备份位置-------\r\nD:\\备份\\\r\n-------系统配置-------\r\n"
                             "True\r\nFalse\r\n0\r\n12:00:00\r\n18:00:00\r\n03:00:00\r\n";
    const SettingsCodec::Read read = kCodec.read(utf8);
    EXPECT_FALSE(read.badLine) << read.badLine->what;
    EXPECT_EQ(read.settings.server, "服务器甲");
    EXPECT_EQ(read.settings.databases, (std::vector<std::string>{"销售库", "crm"}));
    EXPECT_EQ(read.settings.backupFolder, "D:\\备份\\");
    EXPECT_EQ(read.settings.slot3, "03:00:00");

    // Bytes that are not UTF-8 there are replaced one by one, as GBK's are.
    const SettingsCodec::Read broken = kCodec.read("\xEF\xBB\xBF" + kServerHeader
                                                   + "\r\na\xE9"
                                                     "b\r\n");
    EXPECT_EQ(broken.settings.server,
              "a\xEF\xBF\xBD"
              "b");
}

// The reader takes every list a save can write: a count is a whole number
// up to 2^31-1, and the names it promises must all be there.
TEST(SettingsCodecLongLists, aListOfMoreThan32767EntriesSurvivesASaveAndARead)
{
    Settings s = initialSettings();
    for (int i = 0; i < 40000; ++i)
        s.databases.push_back("db" + std::to_string(i));
    s.backupFolder = "/srv/bak/";
    s.timeSlotMode = true;
    s.replaceMode = false;
    const SettingsCodec::Read back = kCodec.read(kCodec.write(s).bytes);
    EXPECT_FALSE(back.badLine);
    EXPECT_EQ(back.settings.databases, s.databases);
    EXPECT_EQ(back.settings.backupFolder, "/srv/bak/");
    EXPECT_EQ(back.settings.timeSlotMode, true);
    EXPECT_EQ(back.settings.slot3, "03:00:00");
}

TEST(SettingsCodecLongLists, aCountAboveTheLinesLeftTakesNoName)
{
    const SettingsCodec::Read read = kCodec.read(withLines({"32767", "a", "b"}));
    ASSERT_TRUE(read.badLine);
    EXPECT_EQ(read.badLine->number, 9);
    EXPECT_TRUE(read.settings.databases.empty());
    EXPECT_EQ(read.settings.backupFolder, std::nullopt);

    // A count of 32,768 whose names are all there is read like any other.
    std::string lines;
    for (int i = 0; i < 32768; ++i)
        lines += "n\r\n";
    const std::string bytes = withLines({"32768"}) + lines
        + crlfLines({kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "False", "0", "a", "b", "c"});
    const SettingsCodec::Read exact = kCodec.read(bytes);
    EXPECT_FALSE(exact.badLine);
    EXPECT_EQ(exact.settings.databases.size(), 32768u);
    EXPECT_EQ(exact.settings.backupFolder, "/b/");
}

struct BadCase {
    const char* name;
    std::string bytes;
    int line;
    std::vector<std::string> databases;
    std::optional<std::string> folder;
};

void PrintTo(const BadCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsCodecBadLine : public ::testing::TestWithParam<BadCase> {};

// A line the reader cannot use stops the reading there: what came before it
// is kept, nothing after it is read.
TEST_P(SettingsCodecBadLine, keepsWhatCameBeforeAndSaysWhere)
{
    const BadCase& c = GetParam();
    const SettingsCodec::Read result = kCodec.read(c.bytes);
    ASSERT_TRUE(result.badLine);
    EXPECT_EQ(result.badLine->number, c.line);
    EXPECT_EQ(result.settings.server, "192.168.1.20");
    EXPECT_EQ(result.settings.databases, c.databases);
    EXPECT_EQ(result.settings.backupFolder, c.folder);
    EXPECT_EQ(result.settings.timeSlotMode, std::nullopt);
    EXPECT_EQ(result.settings.slot1, std::nullopt);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsCodecBadLine,
    ::testing::Values(
        BadCase{"countNotANumber", withLines({"two", "a", kListEnd}), 6, {}, std::nullopt},
        BadCase{"countAbove32767RunningPastTheEnd", withLines({"40000", "a", kListEnd}), 9, {}, std::nullopt},
        BadCase{"countOf32768WithOneNameShort", withLines({"32768", "a", kListEnd}), 9, {}, std::nullopt},
        BadCase{"largestCountRunningPastTheEnd", withLines({"2147483647", "a", kListEnd}), 9, {}, std::nullopt},
        BadCase{"fileEndingInsideTheNames", withLines({"3", "only"}), 8, {}, std::nullopt},
        BadCase{"fileEndingAtTheCount", withLines({"2"}), 7, {}, std::nullopt},
        BadCase{"fileEndingAtTheFolder", withLines({"1", "a", kListEnd, kFolderHeader}), 10, {"a"}, std::nullopt},
        BadCase{"countBeyond31Bits", withLines({"2147483648", "a", kListEnd}), 6, {}, std::nullopt},
        BadCase{"negativeCountBelow16Bits", withLines({"-32769", kListEnd}), 6, {}, std::nullopt},
        BadCase{"countWithAFraction", withLines({"1.5", "a", kListEnd}), 6, {}, std::nullopt},
        BadCase{"optionNeitherWordNorNumber",
                withLines({"1", "a", kListEnd, kFolderHeader, "/b/", kSystemHeader, "Yes", "False", "0"}), 12,
                {"a"}, "/b/"},
        BadCase{"secondOptionLine",
                withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "nan", "0"}), 12, {}, "/b/"}),
    [](const ::testing::TestParamInfo<BadCase>& param) { return param.param.name; });
// clang-format on

// A file whose lines end in LF alone would be one long line: nothing of it
// reaches a field.
TEST(SettingsCodecReadLines, aFileOfLfLinesIsNotTaken)
{
    std::string lfOnly = kWorkedExample;
    for (std::size_t at = lfOnly.find("\r\n"); at != std::string::npos; at = lfOnly.find("\r\n", at))
        lfOnly.erase(at, 1);
    const SettingsCodec::Read result = kCodec.read(lfOnly);
    ASSERT_TRUE(result.badLine);
    EXPECT_EQ(result.badLine->number, 1);
    EXPECT_EQ(result.settings.server, std::nullopt);
    EXPECT_EQ(result.settings.account, std::nullopt);
    EXPECT_EQ(result.settings.password, std::nullopt);
    EXPECT_TRUE(result.settings.databases.empty());
    EXPECT_EQ(result.badLine->what.find("192.168"), std::string::npos) << result.badLine->what;
}

struct QuotedCase {
    const char* name;
    std::string bytes;
    int line;
    std::string shown;               // what the message may quote ("" for nothing)
    std::vector<std::string> hidden; // what it must never hold
};

void PrintTo(const QuotedCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsCodecBadLineText : public ::testing::TestWithParam<QuotedCase> {};

// The message quotes at most the start of the bad line, and never the
// password.
TEST_P(SettingsCodecBadLineText, quotesOnlyTheStartOfTheLineAndNeverThePassword)
{
    const QuotedCase& c = GetParam();
    const SettingsCodec::Read result = kCodec.read(c.bytes);
    ASSERT_TRUE(result.badLine);
    EXPECT_EQ(result.badLine->number, c.line);
    const std::string& what = result.badLine->what;
    if (c.shown.empty())
        EXPECT_EQ(what.find("“"), std::string::npos) << what;
    else
        EXPECT_NE(what.find("“" + c.shown + "”"), std::string::npos) << what;
    for (const std::string& secret : c.hidden)
        EXPECT_EQ(what.find(secret), std::string::npos) << what;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsCodecBadLineText,
    ::testing::Values(
        QuotedCase{"shortLineWhole", withLines({"two", "a", kListEnd}), 6, "two", {}},
        QuotedCase{"longLineItsStart", withLines({"abcdefghijklmnopqrstuvwxyz", "a", kListEnd}), 6, "abcdefghijkl…",
                   {"mnop"}},
        QuotedCase{"endsAfterThePassword", crlfLines({kServerHeader, "h", "sa", "Secret#1"}), 5, "", {"Secret"}},
        QuotedCase{"endsWithoutTheLastLineEnd", kServerHeader + "\r\nh\r\nsa\r\nSecret#1", 5, "", {"Secret"}},
        QuotedCase{"passwordRunningIntoTheNextLine",
                   crlfLines({kServerHeader, "h", "sa", "Secret#1\n" + kListHeader, "0"}), 4, "", {"Secret"}},
        QuotedCase{"passwordAgainOnTheCountLine", crlfLines({kServerHeader, "h", "sa", "Secret#1", kListHeader, "Secret#1"}),
                   6, "", {"Secret"}},
        QuotedCase{"optionLineStart",
                   withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "Truthfully, it is replace mode"}),
                   11, "Truthfully, …", {"replace"}}),
    [](const ::testing::TestParamInfo<QuotedCase>& param) { return param.param.name; });
// clang-format on

} // namespace
