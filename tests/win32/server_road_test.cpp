// The window's server methods over the Windows edition's whole road: Form1
// with the Win32 files, GBK and shell, the data access through Windows'
// odbc32 (Wine hands it to unixODBC and FreeTDS), the stand-in on loopback.

#include "standin_road.h"
#include "wide_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/file_bytes.h"
#include "fakes/form_harness.h"
#include "platform/odbc/driver_connection_string.h"
#include "platform/odbc/driver_kind.h"
#include "platform/odbc/driver_library.h"
#include "platform/odbc/odbc_data_access.h"
#include "text/connection_string.h"

namespace ondrel::win32test {
namespace {

namespace fs = std::filesystem;

// Windows' "SQL Server" driver finds a named instance through the browser,
// an alias through its client configuration and the port of "HOST,PORT" by
// itself: the server field reaches it exactly as typed.
TEST(ConnectionString, takesTheServerAsTyped)
{
    for (const char* server : {"DBHOST\\SQLEXPRESS", "backup-alias", "10.0.0.5,1500", "127.0.0.1", "(local)"}) {
        const std::string written =
            DriverConnectionString::forDriver(ServerLogin{server, "sa", "pw"}, BraceDialect::Unknown);
        EXPECT_EQ(ConnectionString::attribute(written, "Server"), server) << written;
    }
}

// The driver behind "SQL Server" may be FreeTDS (under Wine it is): the
// protocol version is named after what the program wrote, which stays as
// it was.
TEST(ConnectionString, namesTheProtocolVersionAtTheEnd)
{
    const std::string program = ConnectionString::build("DBHOST\\SQLEXPRESS", "master", "sa", "pw");
    EXPECT_EQ(DriverConnectionString::forDriver(ServerLogin{"DBHOST\\SQLEXPRESS", "sa", "pw"},
                                                driverKindOfLibrary(driverLibraryFile("SQL Server"))),
              program + "TDS_Version=7.4;");
}

// Neither reading of braces can be checked here: a value that only one of
// them would read intact is refused before anything is sent.
TEST(ConnectionString, refusesWhatNotBothReadingsTakeAlike)
{
    EXPECT_EQ(ConnectionString::attribute(
                  DriverConnectionString::forDriver(ServerLogin{"h", "sa", "a}b"}, BraceDialect::Unknown), "pwd"),
              "a}b");
    try {
        DriverConnectionString::forDriver(ServerLogin{"h", "sa", "x};Driver=evil"}, BraceDialect::Unknown);
        ADD_FAILURE() << "carried";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.number(), DatabaseError::kValueNotCarried);
    }
}

class ServerRoad : public ::testing::Test {
protected:
    ServerRoad()
    {
        f.Form_Load();
        f.Text1.setText(utf8(road.server()));
        f.Text3.setText(utf8(road.password()));
        // As the folder dialog leaves it: upper case, "\" at the end.
        folder = utf8(road.backups()) + "\\RUN-" + std::to_string(GetCurrentProcessId()) + "-"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        for (char& c : folder)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        f.Text5.setText(folder);
    }

    void start(std::initializer_list<std::string> databases)
    {
        for (const std::string& database : databases)
            f.Combo1.addItem(database);
        f.Command1.click();
    }
    // Runs the schedule through a slot: the second before it, then its own.
    void slot(int hour, int minute)
    {
        h.clock.set(hour, minute, 0);
        h.clock.advanceSeconds(-1);
        f.Timer1_Timer();
        h.clock.advanceSeconds(1);
        f.Timer1_Timer();
    }
    // Whether the stand-in received the statement (the tests share it).
    bool received(const std::string& statement) const
    {
        const auto all = road.statements();
        return std::find(all.begin(), all.end(), statement) != all.end();
    }
    // Files and folders the server wrote, as Windows lists them.
    std::vector<std::string> namesIn(const std::string& utf8Folder) const
    {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(u8path(utf8Folder), error))
            names.push_back(utf8Of(entry.path().filename()));
        return names;
    }

    StandinRoad road = StandinRoad::fromEnvironment();
    OdbcDataAccess dataAccess;
    FormHarness h{&dataAccess};
    Form1& f = h.form;
    std::string folder;
};

TEST_F(ServerRoad, startingFindsEveryDatabaseAndSwitchesOn)
{
    start({"Sales", "销售"});
    EXPECT_EQ(h.messages.texts(),
              std::vector<std::string>{"备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。"});
    EXPECT_EQ(f.Command1.caption(), "停止备份");
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_TRUE(received("Select * From master.dbo.sysdatabases Where name = N'销售'"));
}

struct Refusal {
    const char* name;
    std::string server;   // empty: the road's
    std::string password; // empty: the road's
    std::string database;
    std::string message;
};

void PrintTo(const Refusal& c, std::ostream* os)
{
    *os << c.name;
}

class Refusals : public ServerRoad, public ::testing::WithParamInterface<Refusal> {};

// What the operator is told when the server cannot be reached, refuses the
// login or lacks a database; the window stays stopped.
TEST_P(Refusals, leaveTheWindowStoppedWithOneBox)
{
    if (!GetParam().server.empty())
        f.Text1.setText(GetParam().server);
    if (!GetParam().password.empty())
        f.Text3.setText(GetParam().password);
    start({GetParam().database});
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{GetParam().message});
    EXPECT_EQ(f.Command1.caption(), "开始运行");
    EXPECT_FALSE(f.Timer1.enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Wine, Refusals,
    ::testing::Values(Refusal{"NoSuchDatabase", "", "", "nosuch", "nosuch数据库不存在,请重新输入或请从列表中删除!"},
                      Refusal{"WrongPassword", "", "not-the-password", "Sales", "登录帐号或密码失败!-2147217843"},
                      Refusal{"NobodyListens", "127.0.0.1,1", "", "Sales",
                              "连接服务器超时或MSSQL数据不存在,报错号:-2147467259"}),
    [](const auto& test) { return std::string(test.param.name); });

// The server writes NAME.bak into the folder the program made; at the next
// slot the old one is kept aside (here a trash that takes nothing) until the
// new one is written, then removed.
TEST_F(ServerRoad, replaceModeWritesAndReplacesTheBackup)
{
    f.Text8.setText("12:00:00");
    f.Text7.setText("18:00:00");
    start({"Sales"});
    h.shell.trashWorks = false;
    slot(12, 0);
    EXPECT_TRUE(received("backup database [Sales] to disk=N'" + folder + "Sales.bak'"));
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"Sales.bak"});
    const std::string first = readBytes(folder + "Sales.bak");

    slot(18, 0);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"Sales.bak"})
        << "the old backup went once the new one was there";
    EXPECT_FALSE(readBytes(folder + "Sales.bak").empty());
    EXPECT_EQ(readBytes(folder + "Sales.bak").size(), first.size()) << "one backup set, not two appended";
    EXPECT_EQ(h.messages.boxes.size(), 1u) << "only the box of starting";
}

// The dated folder has a Chinese name: it reaches the server and the disk
// intact.
TEST_F(ServerRoad, timeSlotModeWritesIntoTheHoursFolder)
{
    f.Option2.setValue(true);
    start({"Sales", "销售"});
    slot(12, 0);
    const std::string hour = folder + "2026年12月06日12时";
    EXPECT_TRUE(received("backup database [销售] to disk=N'" + hour + "\\销售.bak'"));
    auto names = namesIn(hour);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Sales.bak", "销售.bak"}));
    EXPECT_EQ(h.messages.boxes.size(), 1u);
}

// Names and paths are quoted: a quote in the folder cannot end the path.
TEST_F(ServerRoad, aQuoteInTheFolderStaysInThePath)
{
    folder.insert(folder.size() - 1, "'S");
    f.Text5.setText(folder);
    start({"Sales"});
    slot(12, 0);
    std::string quoted = folder;
    quoted.replace(quoted.find('\''), 1, "''");
    EXPECT_TRUE(received("backup database [Sales] to disk=N'" + quoted + "Sales.bak'")) << quoted;
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"Sales.bak"});
}

// A failing backup shows one box and leaves the schedule running.
TEST_F(ServerRoad, aFailingSlotShowsOneBoxAndTheScheduleGoesOn)
{
    start({"Sales"});
    f.Combo1.addItem("crm2");
    slot(12, 0);
    ASSERT_EQ(h.messages.boxes.size(), 2u);
    EXPECT_EQ(h.messages.boxes[1].text, "没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900");
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"Sales.bak"});
}

} // namespace
} // namespace ondrel::win32test
