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
    Settings s;
    s.server = "127.0.0.1";
    s.account = "sa";
    s.password = "";
    s.backupFolder = " ";
    s.replaceMode = true;
    s.timeSlotMode = false;
    s.slotLock = 0;
    s.slot1 = "12:00:00";
    s.slot2 = "18:00:00";
    s.slot3 = "03:00:00";
    return s;
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
    Settings expected;
};

Settings read(std::optional<std::string> server, std::vector<std::string> databases, std::optional<std::string> folder,
              std::optional<bool> option1, std::optional<bool> option2, std::optional<std::string> slot1,
              std::optional<std::string> slot2, std::optional<std::string> slot3)
{
    Settings s;
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
    const Settings& got = result.settings;
    const Settings& want = GetParam().expected;
    EXPECT_EQ(got.server, want.server);
    EXPECT_EQ(got.account, want.account);
    EXPECT_EQ(got.password, std::nullopt) << "an empty line is never applied";
    EXPECT_EQ(got.databases, want.databases);
    EXPECT_EQ(got.backupFolder, want.backupFolder);
    EXPECT_EQ(got.replaceMode, want.replaceMode);
    EXPECT_EQ(got.timeSlotMode, want.timeSlotMode);
    EXPECT_EQ(got.slotLock, std::nullopt) << "the lock always starts unlocked";
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
                            "True", "0", "12:00:00", "18:00:00", "03:00:00"}),
                 read("192.168.1.20", {"shopdb", "crmdb", "请勿修改"}, "-------系统配置-------", true, false, "18:00:00",
                      "03:00:00", "03:00:00")},
        ReadCase{"fileEndingInsideTheNamesRepeatsTheLastNameThenTheCount",
                 withLines({"3", "only"}),
                 read("192.168.1.20", {"only", "only", "only"}, "3", true, true, "3", "3", "3")},
        ReadCase{"fileEndingAtTheCountAppendsEmptyEntries", withLines({"2"}),
                 read("192.168.1.20", {"", ""}, "2", true, true, "2", "2", "2")},
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

TEST(SettingsCodecReadLines, aLoneCrEndsALineAndALoneLfDoesNot)
{
    const SettingsCodec::Read result =
        kCodec.read(kServerHeader + "\r" + "a\nb" + "\r\n" + "sa\r\r" + kListHeader + "\r0\r\n");
    EXPECT_EQ(result.settings.server, "a\nb");
    EXPECT_EQ(result.settings.account, "sa");
    EXPECT_EQ(result.settings.password, std::nullopt);
    EXPECT_TRUE(result.settings.databases.empty());
    EXPECT_EQ(result.settings.backupFolder, "0");
    EXPECT_EQ(result.settings.replaceMode, false) << "the count line held at the end reads as a number";
    EXPECT_EQ(result.settings.slot3, "0");
}

// The reader takes every list a save can write: a count is a whole number
// up to 2^31-1. Up to 32,767 a file that ends inside the names repeats the
// last name, as it always has; beyond, the names must all be there.
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

TEST(SettingsCodecLongLists, upTo32767AShortFileRepeatsTheLastName)
{
    const SettingsCodec::Read read = kCodec.read(withLines({"32767", "a", "b"}));
    EXPECT_FALSE(read.badLine);
    ASSERT_EQ(read.settings.databases.size(), 32767u);
    EXPECT_EQ(read.settings.databases[0], "a");
    EXPECT_EQ(read.settings.databases[1], "b");
    EXPECT_EQ(read.settings.databases.back(), "b");
    EXPECT_EQ(read.settings.backupFolder, "32767") << "the count line held at the end";

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
        BadCase{"countAbove32767RunningPastTheEnd", withLines({"40000", "a", kListEnd}), 6, {}, std::nullopt},
        BadCase{"countOf32768WithOneNameShort", withLines({"32768", "a", kListEnd}), 6, {}, std::nullopt},
        BadCase{"largestCountRunningPastTheEnd", withLines({"2147483647", "a", kListEnd}), 6, {}, std::nullopt},
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
// password's line (which a file that ends early leaves in the line buffer).
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
        QuotedCase{"endsAfterThePassword", crlfLines({kServerHeader, "h", "sa", "Secret#1"}), 6, "", {"Secret"}},
        QuotedCase{"endsWithoutTheLastLineEnd", kServerHeader + "\r\nh\r\nsa\r\nSecret#1", 6, "", {"Secret"}},
        QuotedCase{"passwordAgainOnTheCountLine", crlfLines({kServerHeader, "h", "sa", "Secret#1", kListHeader, "Secret#1"}),
                   6, "", {"Secret"}},
        QuotedCase{"optionLineStart",
                   withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "Truthfully, it is replace mode"}),
                   11, "Truthfully, …", {"replace"}}),
    [](const ::testing::TestParamInfo<QuotedCase>& param) { return param.param.name; });
// clang-format on

} // namespace
