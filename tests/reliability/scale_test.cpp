// A thousand databases over the real road: the existence check and a run
// complete, every database looked up and backed up once, in list order.
// (Their cost per database is measured by the schedule benchmark.)

#include "backup/road_schedule.h"

namespace {

std::vector<std::string> names(int count)
{
    std::vector<std::string> result;
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "db%04d", i);
        result.push_back(name);
    }
    return result;
}

TEST(Scale, aThousandDatabasesAreCheckedAndBackedUp)
{
    std::vector<std::string> databases;
    for (const std::string& name : names(1000))
        databases.push_back(name + ":8KB");
    RoadWindow w(standin(databases));
    Form1& f = w.form;
    auto& h = w.harness;
    for (const std::string& name : names(1000))
        f.Combo1.addItem(name);
    const std::string folder = (h.temp.path() / "bak").string() + "/";
    f.Text5.setText(folder);
    h.clock.set({2026, 12, 6, 11, 59, 59, 0});

    f.Command1.click();
    ASSERT_EQ(f.Command1.caption(), "停止备份") << h.messages.boxes.front().text;
    h.clock.advanceSeconds(1);
    f.Timer1_Timer();

    const auto statements = w.server.statements();
    ASSERT_EQ(statements.size(), 2000u);
    EXPECT_EQ(statements[999], "Select * From master.dbo.sysdatabases Where name = N'db0999'");
    EXPECT_EQ(statements[1999], "backup database [db0999] to disk=N'" + folder + "db0999.bak'");
    EXPECT_EQ(h.messages.boxes.size(), 1u);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++files;
    EXPECT_EQ(files, 1000u);
}

} // namespace
