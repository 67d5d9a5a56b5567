#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"
#include "settings_file_bytes.h"

using namespace SettingsFileBytes;

namespace {

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
    EXPECT_EQ(f.dbOkCount, "0");
    EXPECT_EQ(f.setFile, (bare.temp.path() / "ondrel.ini").string());
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

    // The tray's tip is plain ASCII and needs no converter.
    f.Command5.click();
    ASSERT_TRUE(bare.tray.icon.has_value());
    EXPECT_EQ(bare.encoding.gbkToUtf8(bare.tray.icon->szTip.data()), "ondrel.cn'Ondrel");
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

int entriesIn(const std::filesystem::path& folder)
{
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    return entries;
}

// A settings file that is a symbolic link (kept elsewhere, shared): a save
// writes the link's target, atomically in the target's folder, and the link
// stays a link.
TEST_F(ConfigFileTest, saveThroughASymbolicLinkWritesItsTarget)
{
    namespace fs = std::filesystem;
    const fs::path elsewhere = h.temp.path() / "elsewhere";
    fs::create_directory(elsewhere);
    writeBytes(elsewhere / "shared.ini", "old");
    fs::create_symlink("elsewhere/shared.ini", h.temp.path() / "middle.ini");
    fs::create_symlink(h.temp.path() / "middle.ini", iniPath());
    h.form.Text3.setText("through the link");

    saved();

    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"保存成功!"});
    EXPECT_TRUE(fs::is_symlink(iniPath()));
    EXPECT_EQ(fs::read_symlink(iniPath()), h.temp.path() / "middle.ini");
    EXPECT_EQ(fs::read_symlink(h.temp.path() / "middle.ini"), "elsewhere/shared.ini");
    EXPECT_NE(readBytes(elsewhere / "shared.ini").find("\r\nthrough the link\r\n"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat((elsewhere / "shared.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(entriesIn(elsewhere), 1) << "a temporary file was left beside the target";
    EXPECT_EQ(entriesIn(h.temp.path()), 3) << "the link's folder holds the two links and the other folder";
}

TEST_F(ConfigFileTest, saveThroughALinkToNothingYetCreatesItsTarget)
{
    std::filesystem::create_symlink(h.temp.path() / "new.ini", iniPath());
    saved();
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"保存成功!"});
    EXPECT_TRUE(std::filesystem::is_symlink(iniPath()));
    EXPECT_TRUE(std::filesystem::is_regular_file(h.temp.path() / "new.ini"));
}

TEST_F(ConfigFileTest, saveThroughALoopOfLinksFailsAndSaysSo)
{
    std::filesystem::create_symlink(h.temp.path() / "b.ini", iniPath());
    std::filesystem::create_symlink(iniPath(), h.temp.path() / "b.ini");
    h.form.SaveSet(iniPath());
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text.rfind("保存失败!", 0), 0u) << h.messages.boxes[0].text;
    EXPECT_TRUE(std::filesystem::is_symlink(iniPath()));
}

} // namespace
