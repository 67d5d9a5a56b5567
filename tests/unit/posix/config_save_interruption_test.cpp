#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"

namespace {

// Two settings whose files differ in length and content.
void settingsA(Form1& f)
{
    f.Text1.setText("server-a");
    f.Combo1.addItem("alpha");
}

void settingsB(Form1& f)
{
    f.Text1.setText("a much longer server name for the second file");
    for (int i = 0; i < 200; ++i)
        f.Combo1.addItem("database_" + std::to_string(i));
}

std::string savedBytes(void (*settings)(Form1&))
{
    FormHarness h;
    settings(h.form);
    h.form.SaveSet(utf8Of(h.temp.path() / "x.ini"));
    return readBytes(h.temp.path() / "x.ini");
}

// A disk that fills up at every possible byte of the write.
TEST(ConfigSaveInterruption, aWriteCutShortLeavesTheOldFile)
{
    const std::string oldBytes = savedBytes(settingsA);
    const std::string newBytes = savedBytes(settingsB);
    FormHarness h;
    settingsB(h.form);
    const auto path = h.temp.path() / "ondrel.ini";
    for (std::size_t limit :
         {std::size_t{0}, std::size_t{1}, std::size_t{24}, newBytes.size() / 2, newBytes.size() - 1}) {
        writeBytes(path, oldBytes);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &rl);
            h.messages.boxes.clear();
            h.form.SaveSet(path.string());
            const bool reported =
                h.messages.boxes.size() == 1 && h.messages.boxes[0].text.find("保存失败") != std::string::npos;
            ::_exit(reported ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "limit " << limit;
        EXPECT_EQ(readBytes(path), oldBytes) << "limit " << limit;
        int entries = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(h.temp.path()))
            ++entries;
        EXPECT_EQ(entries, 1) << "a temporary file was left behind at limit " << limit;
    }
}

// A process killed at any moment of a save leaves one whole file or the other.
TEST(ConfigSaveInterruption, aKilledSaveLeavesTheOldFileOrTheNew)
{
    const std::string a = savedBytes(settingsA);
    const std::string b = savedBytes(settingsB);
    TempFolder folder;
    const auto path = folder.path() / "ondrel.ini";
    writeBytes(path, a);
    std::mt19937 random(20261207);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child's own scratch folders die with it; keep them in ours.
            ::setenv("TMPDIR", folder.path().c_str(), 1);
            FormHarness ha, hb;
            settingsA(ha.form);
            settingsB(hb.form);
            for (;;) {
                hb.form.SaveSet(path.string());
                ha.form.SaveSet(path.string());
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(200, 20000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string bytes = readBytes(path);
        ASSERT_TRUE(bytes == a || bytes == b) << "round " << round << ": " << bytes.size() << " bytes";
    }
}

} // namespace
