#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"
#include "platform/path_separator.h"
#include "settings_file_bytes.h"

using namespace SettingsFileBytes;

namespace {

class ConfigFileTest : public ::testing::Test {
protected:
    std::string iniPath() const { return utf8Of(h.temp.path() / "ondrel.ini"); }
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

// "保存配置" writes what the controls hold, then confirms.
TEST_F(ConfigFileTest, saveWritesTheControlsAndConfirms)
{
    Form1& f = h.form;
    f.Text1.setText("192.168.1.20");
    f.Combo1.addItem("shopdb");
    f.Combo1.addItem("crmdb");
    f.Text5.setText("D:\\dbbak\\");
    f.Option2.setValue(true);

    EXPECT_EQ(saved(), kWorkedExample);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text, "保存成功!");
    EXPECT_EQ(h.messages.boxes[0].title, "提示");
    EXPECT_EQ(h.messages.boxes[0].style, 0);
}

// A system whose C library cannot open the GBK converter: the program
// starts with the design values and says why once; a save says it failed
// and leaves the file as it was.
TEST_F(ConfigFileTest, withoutTheGbkConverterTheWindowStartsWithItsDesignValues)
{
    FormHarness bare(nullptr, "NO-SUCH-CODE-PAGE");
    const std::string missing = bare.encoding.missingConverter();
    ASSERT_NE(missing.find("NO-SUCH-CODE-PAGE"), std::string::npos) << missing;
    writeBytes(bare.temp.path() / "ondrel.ini", kWorkedExample);

    Form1& f = bare.form;
    f.Form_Load();
    EXPECT_EQ(f.masterDb, "master");
    EXPECT_EQ(f.setFile, utf8Of(bare.temp.path() / "ondrel.ini"));
    EXPECT_EQ(f.Text1.text(), "127.0.0.1");
    EXPECT_EQ(f.Combo1.listCount(), 0u);
    EXPECT_TRUE(f.Option1.value());
    ASSERT_EQ(bare.messages.boxes.size(), 1u);
    EXPECT_EQ(bare.messages.boxes[0].title, "提示");
    EXPECT_NE(bare.messages.boxes[0].text.find(missing), std::string::npos) << bare.messages.boxes[0].text;

    f.Text1.setText("10.0.0.1");
    f.Command6.click();
    ASSERT_EQ(bare.messages.boxes.size(), 2u);
    EXPECT_EQ(bare.messages.boxes[1].text.rfind("保存失败!", 0), 0u) << bare.messages.boxes[1].text;
    EXPECT_NE(bare.messages.boxes[1].text.find(missing), std::string::npos);
    EXPECT_EQ(readBytes(f.setFile), kWorkedExample);

    // The tray's tip needs no converter.
    f.Command5.click();
    ASSERT_TRUE(bare.tray.icon.has_value());
    EXPECT_EQ(bare.tray.icon->tip, "ondrel.cn'Ondrel");
}

TEST_F(ConfigFileTest, chineseTextComesBackAtTheNextStart)
{
    h.form.Combo1.addItem("中文库");
    h.form.Text5.setText("/备份/");
    h.form.Check1.setValue(1);
    auto next = startWith(saved());
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
    const std::string path = utf8Of(h.temp.path() / "gone" / "ondrel.ini");
    h.form.SaveSet(path);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_NE(h.messages.boxes[0].text.find(path), std::string::npos);
    EXPECT_NE(h.messages.boxes[0].text.find("文件夹不存在"), std::string::npos);
    EXPECT_EQ(h.messages.boxes[0].text.find("保存成功"), std::string::npos);
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
    std::filesystem::create_directory(u8path(iniPath()));
    FormHarness again;
    again.executable.m_folder = h.temp.text() + kPathSeparator;
    again.form.Form_Load();
    EXPECT_EQ(again.form.setFile, iniPath()) << "a folder ending in the separator gets no second one";
    EXPECT_TRUE(again.messages.boxes.empty());
}

// What was read reaches the controls as the controls take it: an option
// set after the other deselects it, and the list shows its first entry.
TEST_F(ConfigFileTest, startAppliesWhatWasRead)
{
    auto both = startWith(withLines(
        {"2", "b", "a", kListEnd, kFolderHeader, "", kSystemHeader, "True", "True", "0", "01:00:00", "", ""}));
    const Form1& f = both->form;
    EXPECT_EQ(f.Text1.text(), "192.168.1.20");
    EXPECT_EQ(f.Text3.text(), "");
    EXPECT_EQ(f.Combo1.items(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(f.Combo1.text(), "b");
    EXPECT_EQ(f.Combo1.listIndex(), 0) << "the box shows the first entry, so \"D\" removes that one";
    EXPECT_EQ(f.Text5.text(), " ") << "an empty line leaves the initial value";
    EXPECT_FALSE(f.Option1.value());
    EXPECT_TRUE(f.Option2.value());
    EXPECT_EQ(f.Text8.text(), "01:00:00");
    EXPECT_EQ(f.Text7.text(), "18:00:00");
    EXPECT_TRUE(both->messages.boxes.empty());

    auto neither = startWith(withLines({"0", kListEnd, kFolderHeader, "/b/", kSystemHeader, "False", "False", "0"}));
    EXPECT_FALSE(neither->form.Option1.value());
    EXPECT_FALSE(neither->form.Option2.value());
}

// A line the reader cannot use: the window opens with what came before it
// and one box names the file and the line.
TEST_F(ConfigFileTest, aBadLineIsReportedWithTheFileAndTheLine)
{
    auto next = startWith(withLines({"1", "a", kListEnd, kFolderHeader, "/b/", kSystemHeader, "Yes", "False", "0"}));
    const Form1& f = next->form;
    EXPECT_EQ(f.Text1.text(), "192.168.1.20");
    EXPECT_EQ(f.Combo1.items(), std::vector<std::string>{"a"});
    EXPECT_EQ(f.Text5.text(), "/b/");
    EXPECT_TRUE(f.Option1.value());
    EXPECT_EQ(f.masterDb, "master");
    ASSERT_EQ(next->messages.boxes.size(), 1u);
    const std::string& text = next->messages.boxes[0].text;
    EXPECT_NE(text.find(f.setFile), std::string::npos) << text;
    EXPECT_NE(text.find("第12行"), std::string::npos) << text;
    EXPECT_EQ(next->messages.boxes[0].title, "提示");
}

// A file with LF line ends (copied from another system): the box names the
// file and its first line, quotes none of it, and no field takes any of it.
TEST_F(ConfigFileTest, aFileOfLfLinesIsNamedAndNothingOfItIsTaken)
{
    std::string lfOnly = withLines({"1", "sales", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "False", "0",
                                    "12:00:00", "18:00:00", "03:00:00"});
    lfOnly.replace(lfOnly.find("\r\n\r\n"), 4, "\r\nSecret#1\r\n"); // the password line
    for (std::size_t at = lfOnly.find('\r'); at != std::string::npos; at = lfOnly.find('\r', at))
        lfOnly.erase(at, 1);
    auto next = startWith(lfOnly);
    const Form1& f = next->form;
    EXPECT_EQ(f.Text1.text(), "127.0.0.1");
    EXPECT_EQ(f.Text2.text(), "sa");
    EXPECT_EQ(f.Text3.text(), "");
    EXPECT_EQ(f.Combo1.listCount(), 0u);
    ASSERT_EQ(next->messages.boxes.size(), 1u);
    const std::string& text = next->messages.boxes[0].text;
    EXPECT_NE(text.find(f.setFile), std::string::npos) << text;
    EXPECT_NE(text.find("第1行"), std::string::npos) << text;
    EXPECT_EQ(text.find("Secret"), std::string::npos) << text;
    EXPECT_EQ(text.find("192.168"), std::string::npos) << text;
}

// A file an editor saved as UTF-8 with its byte-order mark loads its
// Chinese as written; "保存配置" writes GBK as always, and names what GBK
// cannot hold.
TEST_F(ConfigFileTest, aUtf8FileWithItsByteOrderMarkLoadsAndSavesAsGbk)
{
    const std::string utf8 = "\xEF\xBB\xBF"
                             "------服务器配置------\r\n主机😀\r\nsa\r\npw\r\n------需备份列表------\r\n1\r\n销售库\r\n"
                             "请勿修改\r\n-------备份位置-------\r\nD:\\备份\\\r\n-------系统配置-------\r\n"
                             "True\r\nFalse\r\n0\r\n12:00:00\r\n18:00:00\r\n03:00:00\r\n";
    auto started = startWith(utf8);
    Form1& f = started->form;
    EXPECT_TRUE(started->messages.boxes.empty()) << started->messages.boxes[0].text;
    EXPECT_EQ(f.Text1.text(), "主机😀");
    EXPECT_EQ(f.Combo1.items(), std::vector<std::string>{"销售库"});
    EXPECT_EQ(f.Combo1.text(), "销售库");
    EXPECT_EQ(f.Text5.text(), "D:\\备份\\");

    const std::string path = utf8Of(started->temp.path() / "ondrel.ini");
    f.SaveSet(path);
    const std::string gbk = readBytes(path);
    EXPECT_EQ(gbk.substr(0, kServerHeader.size()), kServerHeader) << "no byte-order mark, GBK";
    EXPECT_NE(gbk.find("\r\n\xCF\xFA\xCA\xDB\xBF\xE2\r\n"), std::string::npos) << "销售库 in GBK";
    ASSERT_EQ(started->messages.boxes.size(), 1u);
    EXPECT_EQ(started->messages.boxes[0].text, "配置已保存,但以下内容含有无法保存的字符,已被保存为“?”:服务器。");
}

// Reading stops at a line the file does not have; the box names it, and
// the fields after it keep their initial values.
TEST_F(ConfigFileTest, aFileWithoutItsLastLineSaysWhichLineIsMissing)
{
    auto started = startWith(kWorkedExample.substr(0, kWorkedExample.rfind("03:00:00")));
    Form1& f = started->form;
    ASSERT_EQ(started->messages.boxes.size(), 1u);
    const std::string& text = started->messages.boxes[0].text;
    EXPECT_NE(text.find("第18行无法读取:文件在此行之前已结束"), std::string::npos) << text;
    EXPECT_EQ(f.Text7.text(), "18:00:00");
    EXPECT_EQ(f.Text6.text(), "03:00:00") << "the initial value, not slot 2's";
    EXPECT_EQ(f.Combo1.items(), (std::vector<std::string>{"shopdb", "crmdb"}));
}

// A program without a window reads the file as the window does: what the
// controls show after a start is the record's initial values with what was
// read applied.
TEST_F(ConfigFileTest, theWindowAndTheRecordApplyAFileAlike)
{
    const std::string files[] = {
        kWorkedExample,
        withLines({"1", "a", kListEnd, kFolderHeader, "/b/", kSystemHeader, "True", "True", "0", "", "x", "y"}),
        withLines({"0", kListEnd, kFolderHeader, "", kSystemHeader, "False", "False", "1", "a", "b", "c"}),
        withLines({"2", "a", kListEnd, kFolderHeader}),
        withLines({"1", "a", kListEnd, kFolderHeader, "/b/", kSystemHeader, "Yes"}),
    };
    for (const std::string& bytes : files) {
        auto started = startWith(bytes);
        const Form1& f = started->form;
        const SettingsStore::Loaded loaded =
            SettingsStore(started->files, started->encoding).load(utf8Of(started->temp.path() / "ondrel.ini"));
        const Settings want = loaded.settings.appliedTo({});
        EXPECT_EQ(f.Text1.text(), want.server);
        EXPECT_EQ(f.Text2.text(), want.account);
        EXPECT_EQ(f.Text3.text(), want.password);
        EXPECT_EQ(f.Combo1.items(), want.databases);
        EXPECT_EQ(f.Text5.text(), want.backupFolder);
        EXPECT_EQ(f.Option1.value(), want.replaceMode);
        EXPECT_EQ(f.Option2.value(), want.timeSlotMode);
        EXPECT_EQ(f.Text8.text(), want.slot1);
        EXPECT_EQ(f.Text7.text(), want.slot2);
        EXPECT_EQ(f.Text6.text(), want.slot3);
        EXPECT_EQ(started->messages.texts().size(), loaded.problem ? 1u : 0u);
    }
}

} // namespace
