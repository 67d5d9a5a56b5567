// The settings file on a POSIX file system: its mode, a folder the program
// may not write into, and symbolic links.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../settings_file_bytes.h"
#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"

using namespace SettingsFileBytes;

namespace {

class PosixConfigFileTest : public ::testing::Test {
protected:
    std::string iniPath() const { return utf8Of(h.temp.path() / "ondrel.ini"); }
    std::string saved()
    {
        h.form.SaveSet(iniPath());
        return readBytes(iniPath());
    }

    FormHarness h;
};

TEST_F(PosixConfigFileTest, passwordFileIsPrivateAndSavesReplaceIt)
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

TEST_F(PosixConfigFileTest, aFileOnlyItsGroupMayReadKeepsItsGroupAndThatRight)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file a group it is not in";
    saved();
    // As the background service's installer leaves it: its account's group reads it.
    const gid_t group = 4242;
    ASSERT_EQ(::chown(iniPath().c_str(), static_cast<uid_t>(-1), group), 0);
    ::chmod(iniPath().c_str(), 0640);
    h.form.Text3.setText("new");
    saved();
    struct stat st {};
    ASSERT_EQ(::stat(iniPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_gid, group);
}

// Root ignores folder permissions, so the save runs in a child process
// that has given them up.
TEST_F(PosixConfigFileTest, saveIntoAReadOnlyFolderKeepsTheOldFile)
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
TEST_F(PosixConfigFileTest, saveThroughASymbolicLinkWritesItsTarget)
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

TEST_F(PosixConfigFileTest, saveThroughALinkToNothingYetCreatesItsTarget)
{
    std::filesystem::create_symlink(h.temp.path() / "new.ini", iniPath());
    saved();
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"保存成功!"});
    EXPECT_TRUE(std::filesystem::is_symlink(iniPath()));
    EXPECT_TRUE(std::filesystem::is_regular_file(h.temp.path() / "new.ini"));
}

TEST_F(PosixConfigFileTest, saveThroughALoopOfLinksFailsAndSaysSo)
{
    std::filesystem::create_symlink(h.temp.path() / "b.ini", iniPath());
    std::filesystem::create_symlink(iniPath(), h.temp.path() / "b.ini");
    h.form.SaveSet(iniPath());
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text.rfind("保存失败!", 0), 0u) << h.messages.boxes[0].text;
    EXPECT_TRUE(std::filesystem::is_symlink(iniPath()));
}

} // namespace
