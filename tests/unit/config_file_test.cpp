#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"

namespace {

// GBK bytes of the fixed lines.
const std::string kServerHeader = "------\xB7\xFE\xCE\xF1\xC6\xF7\xC5\xE4\xD6\xC3------";
const std::string kListHeader = "------\xD0\xE8\xB1\xB8\xB7\xDD\xC1\xD0\xB1\xED------";
const std::string kListEnd = "\xC7\xEB\xCE\xF0\xD0\xDE\xB8\xC4";
const std::string kFolderHeader = "-------\xB1\xB8\xB7\xDD\xCE\xBB\xD6\xC3-------";
const std::string kSystemHeader = "-------\xCF\xB5\xCD\xB3\xC5\xE4\xD6\xC3-------";

std::string crlfLines(std::initializer_list<std::string> lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

const std::string kWorkedExample =
    crlfLines({kServerHeader, "192.168.1.20", "sa", "", kListHeader, "2", "shopdb", "crmdb", kListEnd, kFolderHeader,
               "D:\\dbbak\\", kSystemHeader, "False", "True", "0", "12:00:00", "18:00:00", "03:00:00"});

class ConfigFileTest : public ::testing::Test {
protected:
    std::string iniPath() const { return (h.temp.path() / "ondrel.ini").string(); }
    std::string saved()
    {
        h.form.SaveSet(iniPath());
        return readBytes(iniPath());
    }
    // A fresh window started beside the given file.
    std::unique_ptr<FormHarness> startWith(const std::string& bytes)
    {
        auto next = std::make_unique<FormHarness>();
        writeBytes(next->temp.path() / "ondrel.ini", bytes);
        next->form.Form_Load();
        return next;
    }

    FormHarness h;
};

TEST_F(ConfigFileTest, workedExampleIsWrittenByteForByte)
{
    Form1& f = h.form;
    f.Text1.setText("192.168.1.20");
    f.Combo1.addItem("shopdb");
    f.Combo1.addItem("crmdb");
    f.Text5.setText("D:\\dbbak\\");
    f.Option2.setValue(true);

    EXPECT_EQ(saved(), kWorkedExample);
    EXPECT_EQ(kWorkedExample.substr(0, 24),
              std::string(
                  "\x2D\x2D\x2D\x2D\x2D\x2D\xB7\xFE\xCE\xF1\xC6\xF7\xC5\xE4\xD6\xC3\x2D\x2D\x2D\x2D\x2D\x2D\x0D\x0A"));
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text, "保存成功!");
    EXPECT_EQ(h.messages.boxes[0].title, "提示");
    EXPECT_EQ(h.messages.boxes[0].style, 0);
}

TEST_F(ConfigFileTest, initialValuesWithAnEmptyListAndChineseText)
{
    EXPECT_EQ(saved(),
              crlfLines({kServerHeader, "127.0.0.1", "sa", "", kListHeader, "0", kListEnd, kFolderHeader, " ",
                         kSystemHeader, "True", "False", "0", "12:00:00", "18:00:00", "03:00:00"}));

    h.form.Combo1.addItem("中文库");
    h.form.Text5.setText("/备份/");
    h.form.Check1.setValue(1);
    const std::string bytes = saved();
    EXPECT_NE(bytes.find("\r\n1\r\n\xD6\xD0\xCE\xC4\xBF\xE2\r\n" + kListEnd + "\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n/\xB1\xB8\xB7\xDD/\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nTrue\r\nFalse\r\n1\r\n"), std::string::npos);

    auto next = startWith(bytes);
    EXPECT_EQ(next->form.Combo1.items(), std::vector<std::string>{"中文库"});
    EXPECT_EQ(next->form.Combo1.text(), "中文库");
    EXPECT_EQ(next->form.Text5.text(), "/备份/");
    EXPECT_EQ(next->form.Check1.value(), 0) << "the lock always starts unlocked";
    EXPECT_TRUE(next->messages.boxes.empty());
}

TEST_F(ConfigFileTest, fieldsSavedEmptyComeBackAtTheirInitialValues)
{
    for (TextBox* field :
         {&h.form.Text1, &h.form.Text2, &h.form.Text3, &h.form.Text5, &h.form.Text8, &h.form.Text7, &h.form.Text6})
        field->setText("");
    auto next = startWith(saved());
    const Form1& f = next->form;
    EXPECT_EQ(f.Text1.text(), "127.0.0.1");
    EXPECT_EQ(f.Text2.text(), "sa");
    EXPECT_EQ(f.Text3.text(), "");
    EXPECT_EQ(f.Text5.text(), " ");
    EXPECT_EQ(f.Text8.text(), "12:00:00");
    EXPECT_EQ(f.Text7.text(), "18:00:00");
    EXPECT_EQ(f.Text6.text(), "03:00:00");
}

TEST_F(ConfigFileTest, passwordFileIsPrivateAndSavesReplaceIt)
{
    h.form.Text3.setText("p@ss");
    saved();
    struct stat st {};
    ASSERT_EQ(::stat(iniPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ::chmod(iniPath().c_str(), 0644);
    h.form.Text3.setText("new");
    const std::string bytes = saved();
    ASSERT_EQ(::stat(iniPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(bytes.find("\r\nnew\r\n"), std::string::npos);
    // No temporary file is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(h.temp.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(ConfigFileTest, textGbkCannotHoldIsReportedInsteadOfSuccess)
{
    h.form.Text3.setText("pw🙂");
    h.form.Combo1.addItem("db🙂");
    const std::string bytes = saved();
    EXPECT_NE(bytes.find("\r\npw?\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\ndb?\r\n"), std::string::npos);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    const std::string& text = h.messages.boxes[0].text;
    EXPECT_EQ(text.find("保存成功"), std::string::npos);
    EXPECT_NE(text.find("密码"), std::string::npos);
    EXPECT_NE(text.find("数据库列表"), std::string::npos);
    EXPECT_EQ(text.find("服务器"), std::string::npos);
}

TEST_F(ConfigFileTest, saveIntoAMissingFolderNamesThePathAndTheReason)
{
    const std::string path = (h.temp.path() / "gone" / "ondrel.ini").string();
    h.form.SaveSet(path);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_NE(h.messages.boxes[0].text.find(path), std::string::npos);
    EXPECT_NE(h.messages.boxes[0].text.find("文件夹不存在"), std::string::npos);
    EXPECT_EQ(h.messages.boxes[0].text.find("保存成功"), std::string::npos);
}

// Root ignores folder permissions, so the save runs in a child process
// that has given them up.
TEST_F(ConfigFileTest, saveIntoAReadOnlyFolderKeepsTheOldFile)
{
    const auto folder = h.temp.path() / "locked";
    std::filesystem::create_directory(folder);
    const auto path = folder / "ondrel.ini";
    writeBytes(path, kWorkedExample);
    ::chmod(h.temp.path().c_str(), 0755);
    ::chmod(folder.c_str(), 0555);
    ::chmod(path.c_str(), 0644);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        h.messages.boxes.clear();
        h.form.SaveSet(path.string());
        const bool reported = h.messages.boxes.size() == 1
            && h.messages.boxes[0].text.find("没有访问权限") != std::string::npos
            && h.messages.boxes[0].text.find(path.string()) != std::string::npos;
        ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported with the path and the reason";
    EXPECT_EQ(readBytes(path), kWorkedExample);
}

TEST_F(ConfigFileTest, missingFileLeavesTheInitialValues)
{
    h.form.Form_Load();
    EXPECT_EQ(h.form.setFile, iniPath());
    EXPECT_EQ(h.form.Text1.text(), "127.0.0.1");
    EXPECT_TRUE(h.form.Option1.value());
    EXPECT_EQ(h.form.Combo1.listCount(), 0u);
    EXPECT_TRUE(h.messages.boxes.empty());

    // A folder of that name is no settings file either.
    std::filesystem::create_directory(iniPath());
    FormHarness again;
    again.executable.m_folder = h.temp.path().string() + "/";
    again.form.Form_Load();
    EXPECT_EQ(again.form.setFile, iniPath()) << "a folder ending in the separator gets no second one";
    EXPECT_TRUE(again.messages.boxes.empty());
}

struct LoadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> list;
    std::string combo, text1, text5, text8, text7, text6;
    bool option1, option2;
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConfigLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(ConfigLoad, appliesLinesByPosition)
{
    const LoadCase& c = GetParam();
    FormHarness h;
    writeBytes(h.temp.path() / "ondrel.ini", c.bytes);
    h.form.Form_Load();
    const Form1& f = h.form;
    EXPECT_EQ(f.Combo1.items(), c.list);
    EXPECT_EQ(f.Combo1.text(), c.combo);
    EXPECT_EQ(f.Text1.text(), c.text1);
    EXPECT_EQ(f.Text5.text(), c.text5);
    EXPECT_EQ(f.Text8.text(), c.text8);
    EXPECT_EQ(f.Text7.text(), c.text7);
    EXPECT_EQ(f.Text6.text(), c.text6);
    EXPECT_EQ(f.Option1.value(), c.option1);
    EXPECT_EQ(f.Option2.value(), c.option2);
    EXPECT_EQ(f.Check1.value(), 0);
    EXPECT_TRUE(h.messages.boxes.empty()) << h.messages.boxes[0].text;
}

std::string withLines(std::initializer_list<std::string> middle)
{
    std::string bytes = crlfLines({kServerHeader, "192.168.1.20", "sa", "", kListHeader});
    for (const std::string& line : middle)
        bytes += line + "\r\n";
    return bytes;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigLoad,
    ::testing::Values(
        LoadCase{"workedExample", kWorkedExample, {"shopdb", "crmdb"}, "shopdb", "192.168.1.20", "D:\\dbbak\\",
                 "12:00:00", "18:00:00", "03:00:00", false, true},
        LoadCase{"headersAreNeverCompared",
                 crlfLines({"x", "192.168.1.20", "sa", "", "y", "1", "shopdb", "z", "w", "/b/", "v", "True", "False",
                            "1", "01:00:00", "02:00:00", "03:00:00"}),
                 {"shopdb"}, "shopdb", "192.168.1.20", "/b/", "01:00:00", "02:00:00", "03:00:00", true, false},
        LoadCase{"countAboveTheNamesShiftsEveryLaterLine",
                 withLines({"3", "shopdb", "crmdb", kListEnd, kFolderHeader, "D:\\dbbak\\", kSystemHeader, "False",
                            "True", "0", "12:00:00", "18:00:00", "03:00:00"}),
                 {"shopdb", "crmdb", "请勿修改"}, "shopdb", "192.168.1.20", "-------系统配置-------", "18:00:00",
                 "03:00:00", "03:00:00", true, false},
        LoadCase{"fileEndingInsideTheNamesRepeatsTheLastNameThenTheCount",
                 withLines({"3", "only"}), {"only", "only", "only"}, "only", "192.168.1.20", "3", "3", "3", "3", false,
                 true},
        LoadCase{"fileEndingAtTheCountAppendsEmptyEntries", withLines({"2"}), {"", ""}, "", "192.168.1.20", "2", "2",
                 "2", "2", false, true},
        LoadCase{"bothOptionsTrueSelectsTheSecond",
                 withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "True", "0", "a", "b", "c"}),
                 {}, "", "192.168.1.20", "/b/", "a", "b", "c", false, true},
        LoadCase{"bothOptionsFalseSelectsNeither",
                 withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "false", "FALSE", "1", "a", "b", "c"}),
                 {}, "", "192.168.1.20", "/b/", "a", "b", "c", false, false},
        LoadCase{"numbersAsOptionsAndBlanksAroundTheCount",
                 withLines({" 1 ", "x", kListEnd, kFolderHeader, "/b/", kSystemHeader, "0", "-1", "2", "a", "b", "c"}),
                 {"x"}, "x", "192.168.1.20", "/b/", "a", "b", "c", false, true},
        LoadCase{"aLoneCrEndsALineAndALoneLfDoesNot",
                 kServerHeader + "\r" + "a\nb" + "\r\n" + "sa\r\r" + kListHeader + "\r0\r\n", {}, "", "a\nb", "0",
                 "0", "0", "0", false, false},
        LoadCase{"negativeCountAppendsNothing",
                 withLines({"-5", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "False", "0", "a", "b", "c"}),
                 {}, "", "192.168.1.20", "/b/", "a", "b", "c", true, false}),
    [](const ::testing::TestParamInfo<LoadCase>& param) { return param.param.name; });
// clang-format on

struct BadCase {
    const char* name;
    std::string bytes;
    int line;
    std::vector<std::string> list;
    std::string text5;
};

void PrintTo(const BadCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConfigLoadBadLine : public ::testing::TestWithParam<BadCase> {};

// A line the reader cannot use stops reading there: the window opens with
// what came before it and one box names the file and the line.
TEST_P(ConfigLoadBadLine, keepsWhatCameBeforeAndSaysWhere)
{
    const BadCase& c = GetParam();
    FormHarness h;
    writeBytes(h.temp.path() / "ondrel.ini", c.bytes);
    h.form.Form_Load();
    const Form1& f = h.form;
    EXPECT_EQ(f.Text1.text(), "192.168.1.20");
    EXPECT_EQ(f.Combo1.items(), c.list);
    EXPECT_EQ(f.Text5.text(), c.text5);
    EXPECT_TRUE(f.Option1.value());
    EXPECT_EQ(f.Text8.text(), "12:00:00");
    EXPECT_EQ(f.masterDb, "master");
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    const std::string& text = h.messages.boxes[0].text;
    EXPECT_NE(text.find(f.setFile), std::string::npos) << text;
    EXPECT_NE(text.find("第" + std::to_string(c.line) + "行"), std::string::npos) << text;
    EXPECT_EQ(h.messages.boxes[0].title, "提示");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigLoadBadLine,
    ::testing::Values(
        BadCase{"countNotANumber", withLines({"two", "a", kListEnd}), 6, {}, " "},
        BadCase{"countOutOfRange", withLines({"40000", "a", kListEnd}), 6, {}, " "},
        BadCase{"countWithAFraction", withLines({"1.5", "a", kListEnd}), 6, {}, " "},
        BadCase{"optionNeitherWordNorNumber",
                withLines({"1", "a", kListEnd, kFolderHeader, "/b/", kSystemHeader, "Yes", "False", "0"}), 12,
                {"a"}, "/b/"},
        BadCase{"secondOptionLine",
                withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "nan", "0"}), 12, {}, "/b/"}),
    [](const ::testing::TestParamInfo<BadCase>& param) { return param.param.name; });
// clang-format on

} // namespace
