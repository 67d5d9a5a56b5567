// The stand-in proves nothing if only our own code accepts it: the same
// conversations through tsql (FreeTDS's own client), isql (unixODBC) and
// python3-tds (an independent implementation of TDS).

#include "json_value.h"
#include "run_program.h"
#include "standin_inspection.h"
#include "standin_test_support.h"

namespace {

using ondrel::test::JsonValue;
using ondrel::test::ProgramResult;
using ondrel::test::runProgram;

StandinOptions withSales() {
    StandinOptions o;
    o.databases = {"Sales:512KB", "销售:256KB"};
    return o;
}

ProgramResult tsql(const StandinServer& server, const std::string& input, const std::string& password = "Secret#1") {
    return runProgram({"tsql", "-H", "127.0.0.1", "-p", std::to_string(server.port()), "-U", "sa", "-P", password}, input,
                      std::chrono::seconds(30), {"LC_ALL=C.UTF-8"});
}

ProgramResult isql(const StandinServer& server, const std::string& input, const std::string& password = "Secret#1") {
    const std::string connection = "Driver={SQL Server};Server=" + server.serverField() + ";UID=sa;PWD=" + password +
                                   ";ClientCharset=UTF-8;";
    return runProgram({"isql", "-v", "-b", "-k", connection}, input, std::chrono::seconds(30),
                      {"ODBCSYSINI=" ONDREL_ODBCSYSINI, "LC_ALL=C.UTF-8"});
}

JsonValue python(const StandinServer& server, const std::vector<std::string>& args, int loginTimeout = 10) {
    std::vector<std::string> argv = {"/usr/bin/python3", STANDIN_PYTDS_CLIENT, std::to_string(server.port())};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramResult run = runProgram(argv, {}, std::chrono::seconds(30), {"PYTHONIOENCODING=utf-8", "LOGIN_TIMEOUT=" + std::to_string(loginTimeout)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return JsonValue::parse(run.out.empty() ? "{}" : run.out);
}

const std::string kExists = "select name, dbid from master.dbo.sysdatabases where name = ";
const std::string kExecExists = "exec sp_executesql N'" "select name, dbid from master.dbo.sysdatabases where name = @db'" ", N'@db nvarchar(128)', @db = N'";

TEST(Tsql, LogsInAndRunsTheExistenceQueryAsLiteralAndParameter) {
    StandinServer server(withSales());
    const auto run = tsql(server, kExists + "N'sales'\ngo\n" + kExecExists + "销售'\ngo\nselect 1\ngo\nexit\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "Sales\t5")) << run.out;
    EXPECT_TRUE(contains(run.out, "销售\t6")) << run.out;
    EXPECT_EQ(server.statements().size(), 3u);
}

TEST(Tsql, IsRefusedWithAWrongPassword) {
    StandinServer server(withSales());
    const auto run = tsql(server, "select 1\ngo\nexit\n", "wrong");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(contains(run.out + run.err, "Login failed for user 'sa'.")) << run.out << run.err;
}

TEST(Tsql, ShowsTheServersErrors) {
    StandinServer server(withSales());
    const auto run = tsql(server, "frobnicate\ngo\nselect 'open\ngo\nselect [" + std::string(130, 'x') +
                                      "]\ngo\nbackup database Nowhere to disk='x.bak'\ngo\nexit\n");
    const std::string all = run.out + run.err;
    for (const char* expected : {"Msg 102 (severity 15", "Incorrect syntax near 'frobnicate'.", "Msg 105 (severity 15",
                                 "Msg 103 (severity 15", "Msg 911 (severity 16", "Msg 3013 (severity 16"})
        EXPECT_TRUE(contains(all, expected)) << expected << "\n" << all;
}

TEST(Tsql, BacksUpADatabase) {
    StandinServer server(withSales());
    const auto run = tsql(server, "backup database [销售] to disk = N'tsql.bak'\ngo\nexit\n");
    EXPECT_TRUE(contains(run.out + run.err, "Msg 3014")) << run.out << run.err;
    const StandinInspection inspection = inspectBackup(server.backupDir() / "tsql.bak");
    EXPECT_EQ(inspection.exitCode, 0);
    EXPECT_EQ(inspection.sets.at(0).database, "销售");
}

TEST(Isql, LogsInAndRunsTheExistenceQueryAsLiteralAndParameter) {
    StandinServer server(withSales());
    const auto run = isql(server, kExists + "N'SALES'\n" + kExecExists + "销售'\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "| Sales")) << run.out;
    EXPECT_TRUE(contains(run.out, "| 销售")) << run.out;
    EXPECT_EQ(server.statements(), (std::vector<std::string>{kExists + "N'SALES'", kExecExists + "销售'"}));
}

TEST(Isql, IsRefusedWithAWrongPassword) {
    StandinServer server(withSales());
    const auto run = isql(server, "select 1\n", "wrong");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(contains(run.out + run.err, "Login failed for user 'sa'.")) << run.out << run.err;
}

TEST(Isql, ShowsTheServersErrorsAndBacksUp) {
    StandinServer server(withSales());
    const auto run = isql(server, "frobnicate\nselect N'open\nbackup database Nowhere to disk='x.bak'\n"
                                  "backup database Sales to disk = 'isql.bak'\n");
    const std::string all = run.out + run.err;
    for (const char* expected :
         {"[FreeTDS][SQL Server]Incorrect syntax near 'frobnicate'.",
          "Unclosed quotation mark after the character string 'open'.",
          "Database 'Nowhere' does not exist. Make sure that the name is entered correctly.",
          "BACKUP DATABASE is terminating abnormally."})
        EXPECT_TRUE(contains(all, expected)) << expected << "\n" << all;
    EXPECT_EQ(inspectBackup(server.backupDir() / "isql.bak").exitCode, 0);
}

TEST(PythonTds, LogsInOrIsRefused) {
    StandinServer server(withSales());
    EXPECT_TRUE(python(server, {"sa", "Secret#1", "销售", "login"}).find("ok")->asBool());
    const JsonValue bad = python(server, {"sa", "wrong", "", "login"});
    EXPECT_FALSE(bad.find("ok")->asBool());
    EXPECT_EQ(bad.find("number")->asNumber(), 18456);
    // pytds retries a login refused for its database until its login
    // time-out, then reports the last message: 18456 after 4060.
    const JsonValue noDb = python(server, {"sa", "Secret#1", "Nowhere", "login"}, 1);
    EXPECT_FALSE(noDb.find("ok")->asBool());
    EXPECT_EQ(noDb.find("number")->asNumber(), 18456);
}

TEST(PythonTds, RunsTheExistenceQueryAsLiteralAndParameter) {
    StandinServer server(withSales());
    const JsonValue literal = python(server, {"sa", "Secret#1", "", "query", kExists + "N'sales  '"});
    ASSERT_EQ(literal.find("rows")->asArray().size(), 1u);
    EXPECT_EQ(literal.find("rows")->asArray()[0].asArray()[0].asString(), "Sales");
    const JsonValue bound = python(server, {"sa", "Secret#1", "", "query", kExists + "%s", "销售"});
    ASSERT_EQ(bound.find("rows")->asArray().size(), 1u);
    EXPECT_EQ(bound.find("rows")->asArray()[0].asArray()[1].asString(), "6");
    EXPECT_EQ(server.statements().back(), kExists + "@P1");
    EXPECT_EQ(server.log().back().kind, "disconnect");
}

TEST(PythonTds, ReceivesTheServersErrors) {
    StandinServer server(withSales());
    const std::vector<std::pair<std::string, int>> cases = {
        {"frobnicate", 102}, {"select 'open", 102}, {"select [" + std::string(130, 'x') + "]", 103},
        {"backup database Nowhere to disk = 'x.bak'", 3013}};
    for (const auto& [sql, number] : cases) {
        const JsonValue r = python(server, {"sa", "Secret#1", "", "query", sql});
        EXPECT_FALSE(r.find("ok")->asBool()) << sql;
        EXPECT_EQ(r.find("number")->asNumber(), number) << sql << ": " << r.stringOr("text");
    }
}

TEST(PythonTds, BacksUpOnlyOutsideATransaction) {
    StandinServer server(withSales());
    const JsonValue ok = python(server, {"sa", "Secret#1", "", "backup", "backup database Sales to disk = N'py.bak'"});
    EXPECT_TRUE(ok.find("ok")->asBool()) << ok.stringOr("text");
    EXPECT_EQ(inspectBackup(server.backupDir() / "py.bak").exitCode, 0);
    const JsonValue refused =
        python(server, {"sa", "Secret#1", "", "transaction-backup", "backup database Sales to disk = N'tx.bak'"});
    // 3021 then 3013; pytds reports the last.
    EXPECT_FALSE(refused.find("ok")->asBool());
    EXPECT_EQ(refused.find("number")->asNumber(), 3013);
    EXPECT_FALSE(std::filesystem::exists(server.backupDir() / "tx.bak"));
}

}  // namespace
