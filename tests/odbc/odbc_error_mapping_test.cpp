#include <gtest/gtest.h>

#include <vector>

#include "case_name.h"
#include "platform/odbc/odbc_error_mapping.h"

namespace {

struct MappingCase {
    const char* name;
    OdbcPhase phase;
    std::vector<DiagnosticRecord> records;
    std::int32_t number;
    const char* sqlState;
    long nativeError;
};

class ErrorMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(ErrorMapping, decidesByPhaseAndNativeNumberFirst)
{
    const MappingCase& c = GetParam();
    const DatabaseError error = OdbcErrorMapping::toDatabaseError(c.phase, c.records);
    EXPECT_EQ(error.number(), c.number);
    EXPECT_EQ(error.sqlState(), c.sqlState);
    EXPECT_EQ(error.nativeError(), c.nativeError);
    // The server's own words stay with the failure.
    for (const DiagnosticRecord& record : c.records)
        EXPECT_NE(std::string(error.what()).find(record.message), std::string::npos) << record.message;
}

const std::int32_t kFail = DatabaseError::kFail;
const std::int32_t kAuth = DatabaseError::kAuthFailed;
const std::int32_t kCommand = DatabaseError::kErrorsInCommand;

// Records as FreeTDS 1.3 reports them.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    FreeTds, ErrorMapping,
    testing::Values(
        MappingCase{"loginRejected", OdbcPhase::Connect,
                    {{"42000", 18456, "[FreeTDS][SQL Server]Login failed for user 'sa'."},
                     {"08001", 0, "[FreeTDS][SQL Server]Unable to connect to data source"}},
                    kAuth, "42000", 18456},
        MappingCase{"unknownDatabaseThenLogin", OdbcPhase::Connect,
                    {{"42000", 4060, "Cannot open database \"x\" requested by the login."},
                     {"42000", 18456, "Login failed for user 'sa'."}},
                    kAuth, "42000", 18456},
        MappingCase{"standardRejection", OdbcPhase::Connect, {{"28000", 0, "Login rejected by the driver"}},
                    kAuth, "28000", 0},
        MappingCase{"unreachable", OdbcPhase::Connect,
                    {{"08S01", 20009, "Unable to connect: Adaptive Server is unavailable or does not exist"},
                     {"08S01", 20009, "Unable to connect: Adaptive Server is unavailable or does not exist"},
                     {"08001", 0, "Unable to connect to data source"}},
                    kFail, "08S01", 20009},
        MappingCase{"loginTimeout", OdbcPhase::Connect, {{"HYT00", 0, "Timeout expired"}}, kFail, "HYT00", 0},
        MappingCase{"closedDuringLogin", OdbcPhase::Connect,
                    {{"08001", 0, "Unable to connect to data source"}, {"01000", 20017, "Unexpected EOF from the server"}},
                    kFail, "08001", 0},
        MappingCase{"driverMissing", OdbcPhase::Connect,
                    {{"01000", 0, "[unixODBC][Driver Manager]Can't open lib 'x' : file not found"}}, kFail, "01000", 0},
        MappingCase{"syntaxError", OdbcPhase::Statement, {{"42000", 102, "Incorrect syntax near 'x'."}}, kCommand,
                    "42000", 102},
        MappingCase{"backupDatabaseMissing", OdbcPhase::Statement,
                    {{"08004", 911, "Database 'x' does not exist."},
                     {"42000", 3013, "BACKUP DATABASE is terminating abnormally."}},
                    kCommand, "08004", 911},
        MappingCase{"infoBeforeError", OdbcPhase::Statement,
                    {{"01000", 3211, "10 percent processed."},
                     {"42000", 3201, "Cannot open backup device 'x'."}},
                    kCommand, "42000", 3201},
        MappingCase{"readFailed", OdbcPhase::Statement,
                    {{"08S01", 20004, "Read from the server failed"}}, kFail, "08S01", 20004},
        MappingCase{"eofAfterServerError", OdbcPhase::Statement,
                    {{"42000", 3013, "BACKUP DATABASE is terminating abnormally."},
                     {"01000", 20017, "Unexpected EOF from the server"}},
                    kFail, "01000", 20017},
        MappingCase{"linkFailureWithoutNumber", OdbcPhase::Statement, {{"08S01", 0, "Communication link failure"}},
                    kFail, "08S01", 0}),
    CaseName());
// clang-format on

// Records as Windows' "SQL Server" driver (sqlsrv32) reports them: a link
// that drops comes as 08S01 with the socket's error number, which is no
// refusal of the statement.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    WindowsSqlServerDriver, ErrorMapping,
    testing::Values(
        MappingCase{"noSuchServer", OdbcPhase::Connect,
                    {{"01000", 53, "[Microsoft][ODBC SQL Server Driver][DBNETLIB]ConnectionOpen (Connect())."},
                     {"08001", 17, "[Microsoft][ODBC SQL Server Driver][DBNETLIB]SQL Server does not exist or access denied."}},
                    kFail, "08001", 17},
        MappingCase{"loginRejected", OdbcPhase::Connect,
                    {{"28000", 18456, "[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed for user 'sa'."}},
                    kAuth, "28000", 18456},
        MappingCase{"linkResetDuringBackup", OdbcPhase::Statement,
                    {{"01000", 10054, "[Microsoft][ODBC SQL Server Driver][TCP/IP Sockets]ConnectionRead (recv())."},
                     {"08S01", 11, "[Microsoft][ODBC SQL Server Driver][TCP/IP Sockets]General network error."}},
                    kFail, "08S01", 11},
        MappingCase{"linkResetAfterProgress", OdbcPhase::Statement,
                    {{"01000", 3211, "[Microsoft][ODBC SQL Server Driver][SQL Server]10 percent processed."},
                     {"08S01", 10054, "[Microsoft][ODBC SQL Server Driver][TCP/IP Sockets]ConnectionWrite (send())."}},
                    kFail, "08S01", 10054},
        MappingCase{"backupDatabaseMissing", OdbcPhase::Statement,
                    {{"42000", 911, "[Microsoft][ODBC SQL Server Driver][SQL Server]Database 'x' does not exist."},
                     {"42000", 3013, "[Microsoft][ODBC SQL Server Driver][SQL Server]BACKUP DATABASE is terminating abnormally."}},
                    kCommand, "42000", 911}),
    CaseName());
// clang-format on

TEST(ErrorMappingWithoutRecords, stillFails)
{
    EXPECT_EQ(OdbcErrorMapping::toDatabaseError(OdbcPhase::Statement, {}).number(), DatabaseError::kErrorsInCommand);
    EXPECT_EQ(OdbcErrorMapping::toDatabaseError(OdbcPhase::Connect, {}).number(), DatabaseError::kFail);
}

} // namespace
