// The background service's program against the stand-in over the real
// road, started as systemd would start it: its slots in both modes, a
// missed slot caught up once, failures in the log with their priority, a
// settings file saved while it runs, the schedule's lock against a window,
// the datagrams the service manager reads, and the files it refuses.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "config/settings_store.h"
#include "fakes/form_harness.h"
#include "job/run_records.h"
#include "odbc/road_window.h"
#include "platform/odbc/odbc_data_access.h"
#include "platform/posix/system_clock.h"
#include "service_process.h"

namespace fs = std::filesystem;

namespace {

// "hh:mm:ss" of the wall clock that many seconds from now.
std::string slotIn(int seconds)
{
    return LocalDateTime::fromSerialSecond(SystemClock().now().serialSecond() + seconds).timeOfDay();
}

class ServiceRoad : public ::testing::Test {
protected:
    ServiceRoad() : server(standin({"sales:64KB", "crm:64KB"}))
    {
        useProjectOdbcDrivers();
        ::chmod(home.text().c_str(), 0755);
        settings.server = server.serverField();
        settings.password = "Secret#1";
        settings.databases = {"sales", "crm"};
        settings.backupFolder = home.text() + "/bak/";
        settings.slot1 = settings.slot2 = settings.slot3 = "bad";
    }

    void save() { ASSERT_TRUE(SettingsStore(files, encoding).save(settingsFile(), settings).written); }
    std::string settingsFile() const { return home.text() + "/ondrel.ini"; }
    std::vector<std::string> serviceArguments() const { return {"--settings", settingsFile()}; }
    std::vector<std::string> backupStatements() const
    {
        std::vector<std::string> texts;
        for (const std::string& text : server.statements()) {
            if (text.rfind("backup", 0) == 0)
                texts.push_back(text);
        }
        return texts;
    }
    std::size_t backups() const { return backupStatements().size(); }
    bool waitForBackups(std::size_t count, int seconds = 10) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (backups() < count && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return backups() >= count;
    }

    StandinServer server;
    TempFolder home;
    PosixFileIo files;
    IconvTextEncoding encoding;
    Settings settings;
};

TEST_F(ServiceRoad, replaceModeBacksEveryDatabaseUpAtItsSlotAndTellsTheManager)
{
    settings.slot2 = slotIn(3);
    save();
    ServiceProcess service(home.path(), serviceArguments());
    ASSERT_TRUE(service.waitForDatagram("READY=1")) << service.log();
    EXPECT_TRUE(service.waitForDatagram("STATUS=下次备份:"));
    ASSERT_TRUE(service.waitForLog("<6>时间段" + settings.slot2 + "备份完成:2个数据库全部备份成功。")) << service.log();
    EXPECT_EQ(backupStatements(),
              (std::vector<std::string>{"backup database [sales] to disk=N'" + settings.backupFolder + "sales.bak'",
                                        "backup database [crm] to disk=N'" + settings.backupFolder + "crm.bak'"}))
        << "the same statements as the window's";
    EXPECT_TRUE(fs::exists(home.path() / "bak" / "crm.bak"));
    EXPECT_EQ(service.stop(), 0);
    EXPECT_TRUE(service.waitForDatagram("STOPPING=1"));
    EXPECT_NE(service.log().find("<6>后台备份服务已停止。"), std::string::npos);

    const auto records = RunRecords::decode(files.readAll(home.text() + "/ondrel.runs"));
    ASSERT_TRUE(records);
    ASSERT_TRUE(records->runOf(settings.slot2));
    EXPECT_EQ(records->runOf(settings.slot2)->outcome, RunOutcome::Succeeded);
}

TEST_F(ServiceRoad, timeSlotModeWritesTheSlotHoursFolder)
{
    settings.replaceMode = false;
    settings.timeSlotMode = true;
    settings.slot1 = slotIn(3);
    save();
    ServiceProcess service(home.path(), serviceArguments());
    ASSERT_TRUE(waitForBackups(2)) << service.log();
    ASSERT_TRUE(service.waitForLog("备份完成")) << service.log();
    const std::string hour = backupStatements()[0].substr(backupStatements()[0].find("bak/") + 4);
    EXPECT_NE(hour.find("时/sales.bak'"), std::string::npos) << hour;
}

TEST_F(ServiceRoad, aSlotMissedWhileStoppedIsCaughtUpOnceThenTheScheduleGoesOn)
{
    const LocalDateTime now = SystemClock().now();
    settings.slot3 = slotIn(-30);
    save();
    RunRecords records{LocalDateTime::fromSerialSecond(now.serialSecond() - 3600), std::nullopt, {}};
    files.writeAtomically(home.text() + "/ondrel.runs", records.encode());

    {
        ServiceProcess service(home.path(), serviceArguments());
        ASSERT_TRUE(service.waitForLog("<4>时间段" + settings.slot3)) << service.log();
        EXPECT_NE(service.log().find("的备份在后台备份服务未运行时错过,现在补做一次。"), std::string::npos);
        ASSERT_TRUE(waitForBackups(2)) << service.log();
        ASSERT_TRUE(service.waitForLog("备份完成"));
    }
    ServiceProcess again(home.path(), serviceArguments());
    ASSERT_TRUE(again.waitForDatagram("READY=1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(backups(), 2u) << "caught up once, not at every start";
    EXPECT_EQ(again.log().find("错过"), std::string::npos);
}

TEST_F(ServiceRoad, eachFailingDatabaseIsAnErrorInTheLogAndTheRestAreBackedUp)
{
    settings.databases = {"nosuch", "crm"};
    settings.slot1 = slotIn(3);
    save();
    ServiceProcess service(home.path(), serviceArguments());
    ASSERT_TRUE(service.waitForLog("备份失败:2个数据库中1个备份成功。")) << service.log();
    const std::string log = service.log();
    // The window's words, the database, and the server's own: SQLSTATE, number, message.
    EXPECT_NE(
        log.find("<3>没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900 数据库:nosuch 服务器:[08004/911] "
                 "[FreeTDS][SQL Server]Database 'nosuch' does not exist."),
        std::string::npos)
        << log;
    EXPECT_NE(log.find("<3>时间段" + settings.slot1 + "备份失败"), std::string::npos);
    EXPECT_EQ(backups(), 2u);
    EXPECT_TRUE(fs::exists(home.path() / "bak" / "crm.bak"));
}

TEST_F(ServiceRoad, aStopDuringARunLetsTheStatementEndAndTheNextStartRunsTheSlotAgain)
{
    StandinServer slow(standin({"sales:64KB", "crm:64KB"}, {"--slow-backup", "1500"}));
    settings.server = slow.serverField();
    settings.slot1 = slotIn(2);
    save();
    const auto statements = [&] {
        std::size_t count = 0;
        for (const std::string& text : slow.statements())
            count += text.rfind("backup", 0) == 0 ? 1 : 0;
        return count;
    };
    {
        ServiceProcess service(home.path(), serviceArguments());
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (statements() == 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_EQ(statements(), 1u) << service.log();
        const auto asked = std::chrono::steady_clock::now();
        EXPECT_EQ(service.stop(), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5)) << "not the whole run";
        EXPECT_EQ(statements(), 1u) << "crm is not sent after the stop";
        EXPECT_NE(
            service.log().find("<3>时间段" + settings.slot1 + "的备份未完成,后台备份服务已停止:2个数据库中1个备份成功"),
            std::string::npos)
            << service.log();
    }
    const auto records = RunRecords::decode(files.readAll(home.text() + "/ondrel.runs"));
    ASSERT_TRUE(records && records->runOf(settings.slot1));
    EXPECT_EQ(records->runOf(settings.slot1)->outcome, RunOutcome::Stopped);

    ServiceProcess again(home.path(), serviceArguments());
    ASSERT_TRUE(again.waitForLog("的备份因后台备份服务停止未完成,现在补做一次。")) << again.log();
    ASSERT_TRUE(again.waitForLog("<6>时间段" + settings.slot1 + "备份完成")) << again.log();
    EXPECT_EQ(statements(), 3u);
}

TEST_F(ServiceRoad, aSavedSettingsFileTakesEffectAndABrokenOneKeepsTheLastGood)
{
    save();
    ServiceProcess service(home.path(), serviceArguments());
    ASSERT_TRUE(service.waitForDatagram("READY=1")) << service.log();
    EXPECT_TRUE(service.waitForDatagram("STATUS=没有有效的时间段,不会备份"));

    settings.slot1 = slotIn(3);
    save();
    ASSERT_TRUE(service.waitForLog("<6>配置文件“" + settingsFile() + "”已更新")) << service.log();
    ASSERT_TRUE(waitForBackups(2)) << service.log();

    files.writeAtomically(settingsFile(), "127.0.0.1\r\n");
    ASSERT_TRUE(service.waitForLog("<3>配置文件 " + settingsFile() + " 第2行无法读取")) << service.log();
    EXPECT_NE(service.log().find("后台备份服务继续使用上次读取的设置。"), std::string::npos);
    EXPECT_TRUE(service.waitForDatagram("STATUS=下次备份:"));
}

TEST_F(ServiceRoad, theWindowAndTheServiceNeverBothRunOneSettingsFilesSchedule)
{
    OdbcDataAccess odbc;
    FormHarness window(FormHarness::Seams{.dataAccess = &odbc});
    Form1& f = window.form;
    f.Form_Load();
    f.Text1.setText(server.serverField());
    f.Text3.setText("Secret#1");
    f.Combo1.addItem("sales");
    f.Combo1.addItem("crm");
    f.Text5.setText(window.temp.text() + "/bak/");
    const std::string slot = slotIn(4);
    f.Text8.setText(slot);
    f.Text7.setText("bad");
    f.Text6.setText("bad");
    f.Command6_Click(); // the window's own file, as the service reads it
    f.Command1_Click();
    ASSERT_EQ(f.Command1.caption(), "停止备份");

    const std::vector<std::string> arguments{"--settings", window.temp.text() + "/ondrel.ini"};
    {
        ServiceProcess service(home.path(), arguments);
        ASSERT_TRUE(service.waitForLog("<4>窗口程序正在运行配置文件“" + arguments[1] + "”的备份计划")) << service.log();
        EXPECT_TRUE(service.waitForDatagram("STATUS=窗口程序正在运行此备份计划"));
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(6);
        while (std::chrono::steady_clock::now() < end) {
            window.clock.set(SystemClock().now());
            f.Timer1_Timer();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        EXPECT_EQ(backups(), 2u) << "one statement per database at the slot, never two";

        // The window stops: the service takes the schedule over.
        f.Command1_Click();
        EXPECT_TRUE(service.waitForLog("<6>窗口程序已停止运行此备份计划")) << service.log();

        // Now the service runs it: the window starts nothing.
        window.messages.boxes.clear();
        f.Command1_Click();
        ASSERT_EQ(window.messages.boxes.size(), 1u);
        EXPECT_EQ(window.messages.boxes[0].text,
                  "后台备份服务正在运行此配置文件的备份计划,窗口不再开启备份,以免同一时间段备份两次。");
        EXPECT_EQ(f.Command1.caption(), "开始运行");
    }
    // The service stopped: its lock went with it.
    f.Command1_Click();
    EXPECT_EQ(f.Command1.caption(), "停止备份");
}

TEST_F(ServiceRoad, filesOthersCouldChangeAreRefusedByName)
{
    save();
    ::chmod(settingsFile().c_str(), 0660);
    ServiceProcess service(home.path(), serviceArguments());
    EXPECT_EQ(service.waitForExit(), 78);
    EXPECT_NE(service.log().find("<3>“" + settingsFile() + "”可被管理员以外的用户修改"), std::string::npos)
        << service.log();
    EXPECT_TRUE(service.waitForDatagram("STATUS=“" + settingsFile()));

    ::chmod(settingsFile().c_str(), 0644);
    ::chmod(home.text().c_str(), 0777);
    ServiceProcess folder(home.path(), serviceArguments());
    EXPECT_EQ(folder.waitForExit(), 78);
    EXPECT_NE(folder.log().find("<3>“" + home.text() + "”可被管理员以外的用户修改"), std::string::npos);
    ::chmod(home.text().c_str(), 0755);

    ServiceProcess check(home.path(), {"--settings", settingsFile(), "--check"});
    EXPECT_EQ(check.waitForExit(), 0);
    EXPECT_NE(check.log().find("<4>配置文件“" + settingsFile() + "”含有数据库密码,却可被所有用户读取"),
              std::string::npos)
        << check.log();
}

TEST_F(ServiceRoad, theWatchdogHearsFromTheServiceWhenAsked)
{
    save();
    ServiceProcess service(home.path(), serviceArguments(), {"WATCHDOG_USEC=400000"});
    EXPECT_TRUE(service.waitForDatagram("WATCHDOG=1", 5)) << service.log();
}

} // namespace
