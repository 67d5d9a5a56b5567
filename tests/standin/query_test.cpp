#include "standin_test_support.h"

#include <regex>
#include <set>
#include <thread>

namespace {

StandinOptions catalog() {
    StandinOptions o;
    o.databases = {"Sales:256KB", "销售:256KB", "O'Brien:256KB"};
    return o;
}

struct Existence {
    const char* name;
    std::string sql;
    std::vector<std::string> params;
    std::vector<std::string> found;   // names returned, in order
};

void PrintTo(const Existence& e, std::ostream* os) { *os << e.sql; }

class ExistenceQuery : public ::testing::TestWithParam<Existence> {};

TEST_P(ExistenceQuery, FindsWhatTheServerCollationMatches) {
    StandinServer server(catalog());
    auto session = connectTo(server);
    const OdbcResult r = session->execute(GetParam().sql, GetParam().params);
    ASSERT_TRUE(r.ok()) << r.describe();
    std::vector<std::string> names;
    for (const auto& row : r.rows) names.push_back(row.at(0).value_or("NULL"));
    EXPECT_EQ(names, GetParam().found);
    // Exactly what was sent, with ? rewritten to @P1 and the value beside it.
    const auto log = server.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].kind, GetParam().params.empty() ? "batch" : "rpc");
    EXPECT_EQ(log[1].params, GetParam().params);
    std::string expected = GetParam().sql;
    if (!GetParam().params.empty()) expected = std::regex_replace(expected, std::regex("\\?"), "@P1");
    EXPECT_EQ(log[1].text, expected);
}

const std::string kQuery = "select name, dbid from master.dbo.sysdatabases where name = ";

INSTANTIATE_TEST_SUITE_P(
    Standin, ExistenceQuery,
    ::testing::Values(
        Existence{"Literal", kQuery + "'Sales'", {}, {"Sales"}},
        Existence{"LetterCase", kQuery + "'sALES'", {}, {"Sales"}},
        Existence{"TrailingBlanks", kQuery + "N'Sales   '", {}, {"Sales"}},
        Existence{"LeadingBlanksCount", kQuery + "N'  Sales'", {}, {}},
        Existence{"DoubledQuote", kQuery + "N'O''Brien'", {}, {"O'Brien"}},
        Existence{"UnicodeLiteral", kQuery + "N'销售'", {}, {"销售"}},
        Existence{"NarrowLiteralLosesChinese", kQuery + "'销售'", {}, {}},
        Existence{"Missing", kQuery + "N'Nowhere'", {}, {}},
        Existence{"Parameter", kQuery + "?", {"SALES"}, {"Sales"}},
        Existence{"ChineseParameter", kQuery + "?", {"销售"}, {"销售"}},
        Existence{"MissingParameter", kQuery + "?", {"Nowhere"}, {}},
        Existence{"BracketedNames", "SELECT [name] FROM [master].[dbo].[sysdatabases] WHERE [name] = ?", {"o'brien"}, {"O'Brien"}},
        Existence{"CountStar", "select count(*) from master.dbo.sysdatabases where name = ?", {"Sales"}, {"1"}},
        Existence{"AllDatabasesOrdered", "select name from master.dbo.sysdatabases order by dbid desc", {},
                  {"O'Brien", "销售", "Sales", "msdb", "model", "tempdb", "master"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StandinQuery, SelectStarReturnsEveryColumnOfTheTable) {
    StandinServer server(catalog());
    auto session = connectTo(server);
    const OdbcResult r = session->execute("select * from master.dbo.sysdatabases where name = N'销售'");
    ASSERT_EQ(r.rows.size(), 1u) << r.describe();
    EXPECT_EQ(r.columns, (std::vector<std::string>{"name", "dbid", "sid", "mode", "status", "status2", "crdate",
                                                  "reserved", "category", "cmptlevel", "filename", "version"}));
    EXPECT_EQ(r.rows[0][0], "销售");
    EXPECT_EQ(r.rows[0][1], "6");
}

TEST(StandinQuery, SetStatementsAndSelectOneSucceed) {
    StandinServer server(catalog());
    auto session = connectTo(server);
    for (const char* sql : {"SET NOCOUNT ON", "set textsize 64512", "SET ANSI_NULLS ON; SET QUOTED_IDENTIFIER ON",
                            "SET TRANSACTION ISOLATION LEVEL READ COMMITTED"}) {
        // SQL_NO_DATA: FreeTDS's answer to a statement with neither rows nor a count.
        const OdbcResult r = session->execute(sql);
        EXPECT_EQ(r.rc, SQL_NO_DATA) << sql << r.describe();
        EXPECT_TRUE(r.messages.empty()) << sql << r.describe();
    }
    const OdbcResult r = session->execute("select 1");
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0][0], "1");
}

TEST(StandinQuery, ExecSpExecuteSqlBindsNamedParameters) {
    StandinServer server(catalog());
    auto session = connectTo(server);
    const OdbcResult r = session->execute(
        "exec sp_executesql N'select name from master.dbo.sysdatabases where name = @db', N'@db nvarchar(128)', "
        "@db = N'销售'");
    ASSERT_EQ(r.rows.size(), 1u) << r.describe();
    EXPECT_EQ(r.rows[0][0], "销售");
}

struct Failure {
    const char* name;
    std::string sql;
    int number;
    std::string state;   // FreeTDS's SQLSTATE for the number
    std::string text;
};

void PrintTo(const Failure& f, std::ostream* os) { *os << f.sql.substr(0, 60); }

class StatementErrors : public ::testing::TestWithParam<Failure> {};

TEST_P(StatementErrors, CarryTheServersNumberAndText) {
    StandinServer server(catalog());
    auto session = connectTo(server);
    const OdbcResult r = session->execute(GetParam().sql);
    EXPECT_EQ(r.rc, SQL_ERROR);
    ASSERT_FALSE(r.messages.empty()) << r.describe();
    EXPECT_EQ(r.messages[0].native, GetParam().number);
    EXPECT_EQ(r.messages[0].state, GetParam().state);
    EXPECT_EQ(r.messages[0].text, "[FreeTDS][SQL Server]" + GetParam().text);
    // Still in step: the next statement on the connection works.
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
}

const std::string kLong(129, 'n');

INSTANTIATE_TEST_SUITE_P(
    Standin, StatementErrors,
    ::testing::Values(
        Failure{"UnknownStatement", "DROP DATABASE Sales", 102, "42000", "Incorrect syntax near 'DROP'."},
        Failure{"UnsupportedPredicate", "select name from master.dbo.sysdatabases where name like 'S%'", 102, "42000",
                "Incorrect syntax near 'like'."},
        Failure{"UnclosedQuote", "select name from master.dbo.sysdatabases where name = N'Sales", 105, "42000",
                "Unclosed quotation mark after the character string 'Sales'."},
        Failure{"LongIdentifier", "select [" + kLong + "] from master.dbo.sysdatabases", 103, "42000",
                "The identifier that starts with '" + kLong.substr(0, 128) + "' is too long. Maximum length is 128."},
        Failure{"UndeclaredVariable", "select name from master.dbo.sysdatabases where name = @db", 137, "42000",
                "Must declare the scalar variable \"@db\"."},
        Failure{"UnknownColumn", "select owner from master.dbo.sysdatabases", 207, "42S22", "Invalid column name 'owner'."},
        Failure{"UnknownTable", "select name from master.dbo.databases", 208, "42S02",
                "Invalid object name 'master.dbo.databases'."}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StandinQuery, BatchWithACompileErrorRunsNothing) {
    StandinServer server(catalog());
    auto session = connectTo(server);
    const OdbcResult r = session->execute("use [销售]; select 1; select 'unclosed");
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(session->currentCatalog(), "master");
}

TEST(StandinQuery, StatementLogRecordsEveryRequestInOrder) {
    StandinServer server(catalog());
    {
        auto first = connectTo(server, "Sales");
        OdbcSession refused;
        EXPECT_FALSE(refused.connect(standinConnectionString(server, "nobody:x")).ok());
        first->execute("select 1");
        first->execute("select name from master.dbo.sysdatabases where name = ?", {"销售"});
    }
    // The stand-in logs the hang-up when it notices it.
    for (int i = 0; i < 400 && server.log().back().kind != "disconnect"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto log = server.log();
    std::vector<std::string> kinds;
    for (const auto& e : log) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<std::string>{"login", "login", "batch", "rpc", "disconnect"}));
    EXPECT_TRUE(log[0].ok);
    EXPECT_FALSE(log[1].ok);
    EXPECT_EQ(log[1].user, "nobody");
    EXPECT_NE(log[0].conn, log[1].conn);
    EXPECT_EQ(log[2].conn, log[0].conn);
    EXPECT_EQ(log[2].user, "sa");
    EXPECT_EQ(log[3].params, (std::vector<std::string>{"销售"}));
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
    for (const auto& e : log) EXPECT_TRUE(std::regex_match(e.time, iso)) << e.raw;
    for (std::size_t i = 1; i < log.size(); ++i) EXPECT_LE(log[i - 1].time, log[i].time);
    EXPECT_EQ(server.statements(),
              (std::vector<std::string>{"select 1", "select name from master.dbo.sysdatabases where name = @P1"}));
}

TEST(StandinQuery, MessagesSpanningManyPacketsArriveWhole) {
    StandinOptions o = catalog();
    for (int i = 0; i < 300; ++i) o.databases.push_back("Archive_" + std::to_string(i) + "_" + std::string(60, 'x'));
    StandinServer server(o);
    auto session = connectTo(server);
    // A request of several 4 KB packets, and a reply of many.
    const std::string padded = "N'Sales" + std::string(6000, ' ') + "'";
    OdbcResult r = session->execute("select name from master.dbo.sysdatabases where name = " + padded);
    ASSERT_EQ(r.rows.size(), 1u) << r.describe();
    r = session->execute("select * from master.dbo.sysdatabases");
    EXPECT_EQ(r.rows.size(), 307u);
    std::set<std::string> names;
    for (const auto& row : r.rows) names.insert(*row[0]);
    EXPECT_EQ(names.size(), 307u);
    EXPECT_EQ(server.statements().at(0).size(), std::string("select name from master.dbo.sysdatabases where name = ").size() + padded.size());
}

TEST(StandinQuery, TransactionRequestsAnswerLikeTheServer) {
    StandinServer server(catalog());
    auto session = connectTo(server);
    ASSERT_TRUE(session->setAutocommit(false).ok());
    EXPECT_EQ(session->execute("select 1").rows.size(), 1u);
    // A backup inside a transaction is refused, as SQL Server refuses it.
    const OdbcResult backup = session->execute("backup database Sales to disk = 'in_tran.bak'");
    EXPECT_EQ(backup.natives(), (std::vector<int>{3021, 3013})) << backup.describe();
    EXPECT_TRUE(session->endTransaction(true).ok());
    EXPECT_TRUE(session->setAutocommit(true).ok());
    EXPECT_TRUE(session->execute("backup database Sales to disk = 'after_tran.bak'").ok());
    std::vector<std::string> transactions;
    for (const auto& e : server.log())
        if (e.kind == "transaction") transactions.push_back(e.text);
    ASSERT_FALSE(transactions.empty());
    EXPECT_EQ(transactions.front(), "begin transaction");
}

}  // namespace
