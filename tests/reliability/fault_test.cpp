// Server faults at a slot, over the real road: each is reported, the
// schedule goes on, the next slot backs up every database, and no backup
// that should be kept is lost.

#include <chrono>
#include <memory>
#include <thread>

#include "backup/road_schedule.h"
#include "fakes/file_bytes.h"

namespace fs = std::filesystem;

namespace {

class FaultRoad : public BackupRoad {
protected:
    explicit FaultRoad(std::vector<std::string> faults, std::vector<std::string> databases = {"sales:64KB", "crm:64KB"})
        : BackupRoad(databases, std::move(faults))
        , m_databases(std::move(databases))
    {
        list({"sales", "crm"});
        // Last night's backups, which must survive whatever happens.
        fs::create_directories(folder);
        writeBytes(folder + "sales.bak", "last night's sales");
        writeBytes(folder + "crm.bak", "last night's crm");
    }

    // The server is back (restarted, disk freed): a stand-in without the fault.
    void serverIsBack()
    {
        m_fresh = std::make_unique<StandinServer>(standin(m_databases));
        f.Text1.setText(m_fresh->serverField());
    }

    // The 18:00:00 slot: every database backed up, one good set each.
    void nextSlotBacksUpEverything()
    {
        const std::size_t boxes = w.harness.messages.boxes.size();
        w.harness.clock.set(17, 59, 59);
        tick();
        EXPECT_EQ(w.harness.messages.boxes.size(), boxes) << w.harness.messages.boxes.back().text;
        expectOneSetOf(folder + "sales.bak", "sales");
        expectOneSetOf(folder + "crm.bak", "crm");
        EXPECT_TRUE(f.Timer1.enabled());
    }

    // Every earlier backup is still somewhere: in the folder or in the trash.
    void nothingKeptIsLost()
    {
        std::vector<std::string> contents;
        for (const fs::path& dir : {fs::path(folder), w.harness.temp.path() / "trash"}) {
            if (!fs::exists(dir))
                continue;
            for (const auto& entry : fs::directory_iterator(dir))
                contents.push_back(readBytes(entry.path()));
        }
        for (const char* old : {"last night's sales", "last night's crm"})
            EXPECT_NE(std::find(contents.begin(), contents.end(), old), contents.end()) << old;
    }

    std::vector<std::string> m_databases;
    std::unique_ptr<StandinServer> m_fresh;
};

class ServerDown : public FaultRoad {
protected:
    ServerDown() : FaultRoad({}) {}
};

TEST_F(ServerDown, atASlotIsReportedAndTheNextSlotRuns)
{
    w.server.stop();
    tick(60);
    EXPECT_EQ(w.harness.messages.texts(),
              std::vector<std::string>{"连接服务器超时或MSSQL数据不存在,报错号:-2147467259"});
    nothingKeptIsLost();
    serverIsBack();
    nextSlotBacksUpEverything();
    nothingKeptIsLost();
}

class DroppedConnection : public FaultRoad {
protected:
    DroppedConnection() : FaultRoad({"--drop-connection-on", "[crm]"}) {}
};

TEST_F(DroppedConnection, inTheMiddleOfABackupLeavesNoPartialFile)
{
    tick(60);
    EXPECT_EQ(w.harness.messages.texts(),
              std::vector<std::string>{"连接服务器超时或MSSQL数据不存在,报错号:-2147467259"});
    expectOneSetOf(folder + "sales.bak", "sales");
    EXPECT_FALSE(fs::exists(folder + "crm.bak"));
    nothingKeptIsLost();
    serverIsBack();
    nextSlotBacksUpEverything();
}

class LoginTimeout : public FaultRoad {
protected:
    LoginTimeout() : FaultRoad({"--never-answer-login"}) {}
};

// Waits for the real login time-out (15 s): a dead host must not hang the
// window for ever, and must not go unreported.
TEST_F(LoginTimeout, isReportedAfterTheLoginTimeOut)
{
    const auto started = std::chrono::steady_clock::now();
    tick(60);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(w.harness.messages.texts(),
              std::vector<std::string>{"连接服务器超时或MSSQL数据不存在,报错号:-2147467259"});
    EXPECT_LT(waited, std::chrono::seconds(60)) << "the login did not time out";
    serverIsBack();
    nextSlotBacksUpEverything();
    nothingKeptIsLost();
}

class LoginsRefused : public FaultRoad {
protected:
    LoginsRefused() : FaultRoad({"--refuse-logins", "1"}) {}
};

TEST_F(LoginsRefused, forAWhileIsReportedAndTheNextSlotLogsIn)
{
    tick(60);
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{"登录帐号或密码失败!-2147217843"});
    nextSlotBacksUpEverything();
    nothingKeptIsLost();
}

class DiskFull : public FaultRoad {
protected:
    DiskFull() : FaultRoad({"--disk-space", "100KB"}) {}
};

TEST_F(DiskFull, isReportedAndLeavesNoPartialFile)
{
    tick(60);
    EXPECT_EQ(w.harness.messages.texts(),
              std::vector<std::string>{"没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900"});
    expectOneSetOf(folder + "sales.bak", "sales");
    EXPECT_FALSE(fs::exists(folder + "crm.bak"));
    nothingKeptIsLost();
    serverIsBack();
    nextSlotBacksUpEverything();
}

// A clock that runs with real time from a chosen reading, so a slow backup
// really lets slot seconds pass.
class RunningClock final : public Clock {
public:
    explicit RunningClock(LocalDateTime start) : m_start(start), m_origin(std::chrono::steady_clock::now()) {}
    LocalDateTime now() const override
    {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_origin).count();
        LocalDateTime t = LocalDateTime::fromSerialSecond(m_start.serialSecond() + elapsed / 1000);
        t.millisecond = static_cast<int>(elapsed % 1000);
        return t;
    }

private:
    LocalDateTime m_start;
    std::chrono::steady_clock::time_point m_origin;
};

TEST(SlowBackup, lastingPastTheNextSlotIsFollowedByThatSlotsRun)
{
    useProjectOdbcDrivers();
    StandinServer server(standin({"sales:64KB"}, {"--slow-backup", "1500"}));
    OdbcDataAccess odbc;
    RunningClock clock({2026, 12, 6, 11, 59, 59, 0});
    FormHarness h(FormHarness::Seams{.clock = &clock, .dataAccess = &odbc});
    Form1& f = h.form;
    f.Form_Load();
    f.Text1.setText(server.serverField());
    f.Text3.setText("Secret#1");
    f.Combo1.addItem("sales");
    const std::string folder = (h.temp.path() / "bak").string() + "/";
    f.Text5.setText(folder);
    f.Text8.setText("12:00:00");
    f.Text7.setText("12:00:01");
    f.Timer1.setEnabled(true);

    // Ticks as the desktop sends them, for five seconds.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        f.Timer1_Timer();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::size_t backups = 0;
    for (const std::string& text : server.statements())
        backups += text.rfind("backup", 0) == 0;
    EXPECT_EQ(backups, 2u) << "12:00:00, then 12:00:01, which passed during the first backup";
    EXPECT_TRUE(h.messages.boxes.empty());
    const auto inspection = inspectBackup(folder + "sales.bak");
    EXPECT_EQ(inspection.sets.size(), 1u);
    EXPECT_EQ(h.shell.trashed().size(), 1u) << "the first run's file went to the trash";
}

} // namespace
