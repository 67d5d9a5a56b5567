#include <gtest/gtest.h>

#include <filesystem>

#include "case_name.h"
#include "fakes/temp_folder.h"
#include "platform/odbc/odbc_data_access.h"
#include "road_window.h"
#include "standin_inspection.h"
#include "text/connection_string.h"
#include "text/server_statements.h"

namespace {

std::unique_ptr<Connection> connectTo(OdbcDataAccess& odbc, const StandinServer& server)
{
    auto connection = odbc.createConnection();
    connection->Open({server.serverField(), "sa", "Secret#1"});
    return connection;
}

// The stand-in, like SQL Server, sends the "Processed" messages before it
// finishes the file; a client that stopped at the first result would leave
// it unfinished.
TEST(Execute, runsABackupToItsEnd)
{
    StandinServer server(standin({"sales"}, {"--slow-backup", "300"}));
    OdbcDataAccess odbc;
    TempFolder folder;
    const std::string file = (folder.path() / "销售 o'brien.bak").string();
    auto connection = connectTo(odbc, server);

    connection->Execute(ServerStatements::backupStatement("sales", file));
    connection->Close();

    const StandinInspection inspection = inspectBackup(file);
    EXPECT_EQ(inspection.exitCode, 0);
    ASSERT_EQ(inspection.sets.size(), 1u);
    EXPECT_EQ(inspection.sets[0].database, "sales");
    EXPECT_TRUE(inspection.sets[0].checksumOk);
    EXPECT_EQ(server.statements(), std::vector<std::string>{ServerStatements::backupStatement("sales", file)});
}

struct FailureCase {
    const char* name;
    std::vector<std::string> standinArgs;
    // "FOLDER" stands for a folder the backup can be written to.
    std::string statement;
    std::int32_t number;
    std::string serverText;
};

class ExecuteFailure : public testing::TestWithParam<FailureCase> {};

// An error in any result fails the statement, with the server's words.
TEST_P(ExecuteFailure, isReportedWithTheServersText)
{
    const FailureCase& c = GetParam();
    StandinServer server(standin({"sales:8MB"}, c.standinArgs));
    OdbcDataAccess odbc;
    TempFolder folder;
    std::string statement = c.statement;
    if (const auto at = statement.find("FOLDER"); at != std::string::npos)
        statement.replace(at, 6, folder.path().string());
    auto connection = connectTo(odbc, server);

    try {
        connection->Execute(statement);
        FAIL() << "executed";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.number(), c.number) << error.what();
        EXPECT_NE(std::string(error.what()).find(c.serverText), std::string::npos) << error.what();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Failures, ExecuteFailure,
    testing::Values(
        // Five "percent processed" results come before the disk fills.
        FailureCase{"diskFullAfterProgress", {"--disk-space", "4MB"},
                    "backup database [sales] to disk=N'FOLDER/late.bak' with stats = 10",
                    DatabaseError::kErrorsInCommand, "BACKUP DATABASE is terminating abnormally."},
        // 911 arrives as SQLSTATE 08004, yet the server refused a statement.
        FailureCase{"databaseMissing", {}, "backup database [nosuch] to disk=N'FOLDER/x.bak'",
                    DatabaseError::kErrorsInCommand, "Database 'nosuch' does not exist."},
        FailureCase{"syntax", {}, "selec 1", DatabaseError::kErrorsInCommand, "Incorrect syntax near"},
        FailureCase{"connectionDropped", {"--drop-connection-on", "backup"},
                    "backup database [sales] to disk=N'FOLDER/x.bak'", DatabaseError::kFail,
                    "Unexpected EOF from the server"}),
    CaseName());
// clang-format on

TEST(ExecuteAfterARefusal, findsTheConnectionUsable)
{
    StandinServer server(standin({}));
    OdbcDataAccess odbc;
    auto connection = connectTo(odbc, server);
    EXPECT_THROW(connection->Execute("selec 1"), DatabaseError);
    EXPECT_NO_THROW(connection->Execute("select 1"));
}

} // namespace
