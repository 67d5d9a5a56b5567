#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "odbc/road_window.h"
#include "standin_inspection.h"

// A running schedule whose runs go over the real road to a stand-in, with a
// backup folder of its own and a clock the test moves.
class BackupRoad : public ::testing::Test {
protected:
    explicit BackupRoad(std::vector<std::string> databases = {"sales:64KB", "crm:64KB", "a]b:64KB", "o'brien:64KB"},
                        std::vector<std::string> faults = {})
        : w(standin(std::move(databases), std::move(faults)))
    {
        folder = (w.harness.temp.path() / "bak").string() + "/";
        f.Text5.setText(folder);
        w.harness.clock.set({2026, 12, 6, 11, 59, 0, 0});
        f.Timer1.setEnabled(true);
    }

    void tick(long long seconds = 1)
    {
        for (long long i = 0; i < seconds; ++i) {
            w.harness.clock.advanceSeconds(1);
            f.Timer1_Timer();
        }
    }
    void list(std::initializer_list<std::string> names)
    {
        for (const std::string& name : names)
            f.Combo1.addItem(name);
    }
    std::vector<std::string> backups() const
    {
        std::vector<std::string> texts;
        for (const std::string& text : w.server.statements()) {
            if (text.rfind("backup", 0) == 0)
                texts.push_back(text);
        }
        return texts;
    }
    // The file holds exactly one good set, of that database.
    void expectOneSetOf(const std::filesystem::path& file, const std::string& database)
    {
        const StandinInspection inspection = inspectBackup(file);
        EXPECT_EQ(inspection.exitCode, 0) << file;
        ASSERT_EQ(inspection.sets.size(), 1u) << file;
        EXPECT_EQ(inspection.sets[0].database, database);
        EXPECT_TRUE(inspection.sets[0].checksumOk);
    }

    RoadWindow w;
    Form1& f = w.form;
    std::string folder;
};
