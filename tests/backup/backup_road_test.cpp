// Scheduled backups over the real road: the window's runs go through
// unixODBC, FreeTDS and TCP to the stand-in, which writes real backup files.

#include <gtest/gtest.h>

#include <algorithm>

#include "backup/road_schedule.h"
#include "fakes/file_bytes.h"

namespace fs = std::filesystem;

namespace {

TEST_F(BackupRoad, aSlotBacksUpEveryDatabaseIntoItsOwnFile)
{
    list({"sales", "crm"});
    tick(59);
    EXPECT_TRUE(backups().empty());
    tick();
    EXPECT_EQ(backups(),
              (std::vector<std::string>{"backup database [sales] to disk=N'" + folder + "sales.bak'",
                                        "backup database [crm] to disk=N'" + folder + "crm.bak'"}));
    expectOneSetOf(folder + "sales.bak", "sales");
    expectOneSetOf(folder + "crm.bak", "crm");
    tick();
    EXPECT_EQ(backups().size(), 2u);
    EXPECT_TRUE(w.harness.messages.boxes.empty());
}

TEST_F(BackupRoad, theNextSlotReplacesTheFileInsteadOfAppendingToIt)
{
    list({"sales"});
    tick(60);
    const std::string first = readBytes(folder + "sales.bak");
    w.harness.clock.set(17, 59, 59);
    tick();
    expectOneSetOf(folder + "sales.bak", "sales");
    ASSERT_EQ(w.harness.shell.trashed(), std::vector<std::string>{"sales.bak"});
    EXPECT_EQ(readBytes(w.harness.temp.path() / "trash" / "sales.bak"), first);
}

TEST_F(BackupRoad, namesAndPathsThatNeedQuotingReachTheServerIntact)
{
    folder = (w.harness.temp.path() / "it's here").string() + "/";
    f.Text5.setText(folder);
    list({"a]b", "o'brien"});
    tick(60);
    std::string quoted = folder;
    quoted.replace(quoted.find('\''), 1, "''");
    EXPECT_EQ(backups(),
              (std::vector<std::string>{"backup database [a]]b] to disk=N'" + quoted + "a]b.bak'",
                                        "backup database [o'brien] to disk=N'" + quoted + "o''brien.bak'"}));
    expectOneSetOf(folder + "a]b.bak", "a]b");
    expectOneSetOf(folder + "o'brien.bak", "o'brien");
    EXPECT_TRUE(w.harness.messages.boxes.empty());
}

TEST_F(BackupRoad, aRefusedDatabaseStopsTheRunWithOneBoxAndTheNextSlotStartsOver)
{
    list({"sales", "crm", "nosuch", "a]b", "o'brien"});
    tick(60);
    EXPECT_EQ(w.harness.messages.texts(),
              std::vector<std::string>{"没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900"});
    ASSERT_EQ(backups().size(), 3u);
    EXPECT_FALSE(fs::exists(folder + "nosuch.bak")) << "no partial file";
    EXPECT_FALSE(fs::exists(folder + "a]b.bak"));
    EXPECT_TRUE(f.Timer1.enabled());

    w.harness.clock.set(17, 59, 59);
    tick();
    const auto all = backups();
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[3], "backup database [sales] to disk=N'" + folder + "sales.bak'");
}

TEST_F(BackupRoad, aFolderWithoutItsSeparatorIsAPrefixOfTheFileName)
{
    folder = (w.harness.temp.path() / "BAK").string();
    f.Text5.setText(folder);
    list({"sales"});
    tick(60);
    expectOneSetOf(folder + "sales.bak", "sales");
}

TEST_F(BackupRoad, theTimeSlotModeWritesADatedFolderTheServerCanReach)
{
    f.Option2.setValue(true);
    f.Text7.setText("12:30:00");
    list({"sales", "crm"});
    tick(60);
    const std::string hour = folder + "2026年12月06日12时/";
    EXPECT_EQ(backups(),
              (std::vector<std::string>{"backup database [sales] to disk=N'" + hour + "sales.bak'",
                                        "backup database [crm] to disk=N'" + hour + "crm.bak'"}));
    expectOneSetOf(hour + "sales.bak", "sales");

    tick(30 * 60);
    EXPECT_EQ(w.harness.shell.trashed(), std::vector<std::string>{"2026年12月06日12时"});
    expectOneSetOf(hour + "sales.bak", "sales");
    expectOneSetOf(hour + "crm.bak", "crm");
    EXPECT_TRUE(w.harness.messages.boxes.empty());
}

class BackupRoadWithoutTrash : public BackupRoad {
protected:
    BackupRoadWithoutTrash() : BackupRoad({"sales:64KB", "crm:64KB"}, {"--drop-connection-on", "[crm]"})
    {
        w.harness.shell.trashWorks = false;
    }
};

// Without a trash the old backup is the only copy: it may go only once the
// new one is written, and a backup the server did not finish puts it back.
TEST_F(BackupRoadWithoutTrash, theOldFileIsKeptUntilItsReplacementIsWritten)
{
    list({"sales", "crm"});
    fs::create_directories(folder);
    writeBytes(folder + "sales.bak", "last night's sales");
    writeBytes(folder + "crm.bak", "last night's crm");
    tick(60);
    EXPECT_EQ(w.harness.messages.texts(),
              std::vector<std::string>{"连接服务器超时或MSSQL数据不存在,报错号:-2147467259"});
    expectOneSetOf(folder + "sales.bak", "sales");
    EXPECT_EQ(readBytes(folder + "crm.bak"), "last night's crm") << "the dropped backup left no partial file";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"crm.bak", "sales.bak"})) << "nothing left aside";
}

} // namespace
