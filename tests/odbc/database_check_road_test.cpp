#include <gtest/gtest.h>

#include "case_name.h"
#include "closed_port.h"
#include "platform/odbc/driver_kind.h"
#include "platform/odbc/driver_library.h"
#include "road_window.h"

namespace {

const std::string kQuery = "Select * From master.dbo.sysdatabases Where name = ";

std::string missing(const std::string& name)
{
    return name + "数据库不存在,请重新输入或请从列表中删除!";
}

struct CheckCase {
    const char* name;
    std::vector<std::string> onServer;
    std::vector<std::string> entries;
    std::vector<std::string> boxes;
    std::string dbOkCount;
    std::vector<std::string> statements;
};

class DatabaseCheck : public testing::TestWithParam<CheckCase> {};

// bd looks each entry up over one connection, with exactly the query text
// below, and names each missing entry in a box of its own.
TEST_P(DatabaseCheck, looksEveryEntryUpOnTheServer)
{
    const CheckCase& c = GetParam();
    RoadWindow w(standin(c.onServer));
    for (const std::string& entry : c.entries)
        w.form.Combo1.addItem(entry);

    const std::size_t found = w.form.bd();

    EXPECT_EQ(w.harness.messages.texts(), c.boxes);
    EXPECT_EQ(std::to_string(found), c.dbOkCount);
    EXPECT_EQ(w.server.statements(), c.statements);
    // Plain batches: no server cursors (sp_cursoropen) for a forward read.
    for (const StandinLogEntry& entry : w.server.log())
        EXPECT_NE(entry.kind, "rpc") << entry.raw;
    const auto logins = w.logins();
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_TRUE(logins[0].ok);
    EXPECT_NE(logins[0].raw.find("\"database\":\"master\""), std::string::npos) << logins[0].raw;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lists, DatabaseCheck,
    testing::Values(
        CheckCase{"everyEntryFound", {"sales", "hr"}, {"sales", "hr"}, {}, "2", {kQuery + "N'sales'", kQuery + "N'hr'"}},
        CheckCase{"firstMissingSecondFound", {"sales"}, {"nosuch", "sales"}, {missing("nosuch")}, "1",
                  {kQuery + "N'nosuch'", kQuery + "N'sales'"}},
        CheckCase{"lastMissing", {"sales"}, {"sales", "nosuch"}, {missing("nosuch")}, "0",
                  {kQuery + "N'sales'", kQuery + "N'nosuch'"}},
        CheckCase{"bothMissing", {}, {"a", "b"}, {missing("a"), missing("b")}, "0",
                  {kQuery + "N'a'", kQuery + "N'b'"}},
        CheckCase{"sameNameTwice", {"sales"}, {"sales", "sales"}, {}, "2", {kQuery + "N'sales'", kQuery + "N'sales'"}},
        CheckCase{"apostrophe", {"o'brien"}, {"o'brien"}, {}, "1",
                  {"Select * From master.dbo.sysdatabases Where name = N'o''brien'"}},
        CheckCase{"injectionStaysAName", {"sales"}, {"x' or 1=1 --"}, {missing("x' or 1=1 --")}, "0",
                  {kQuery + "N'x'' or 1=1 --'"}},
        CheckCase{"chineseNames", {"销售库"}, {"销售库", "人事库"}, {missing("人事库")}, "0",
                  {kQuery + "N'销售库'", kQuery + "N'人事库'"}},
        CheckCase{"emptyList", {"sales"}, {}, {}, "0", {}}),
    CaseName());
// clang-format on

struct FailureCase {
    const char* name;
    std::vector<std::string> standinArgs;
    // A port nothing listens on instead of the stand-in's.
    bool closedServer;
    std::string user;
    std::string password;
    std::string box;
    std::vector<bool> loginResults;
};

const std::string kCannotConnect = "连接服务器超时或MSSQL数据不存在,报错号:-2147467259";
const std::string kLoginRejected = "登录帐号或密码失败!-2147217843";

class DatabaseCheckFailure : public testing::TestWithParam<FailureCase> {};

// A failure ends the check in one box with the report's text; no entry is
// named missing and nothing counts as found.
TEST_P(DatabaseCheckFailure, endsInTheServerErrorReport)
{
    const FailureCase& c = GetParam();
    RoadWindow w(standin({"sales"}, c.standinArgs));
    const std::string serverField =
        c.closedServer ? "127.0.0.1," + std::to_string(closedPort()) : w.server.serverField();
    w.type(serverField, c.user, c.password);
    w.form.Combo1.addItem("sales");
    w.form.Combo1.addItem("hr");

    const std::size_t found = w.form.bd();

    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{c.box});
    EXPECT_EQ(found, 0u);
    std::vector<bool> loginResults;
    for (const StandinLogEntry& login : w.logins())
        loginResults.push_back(login.ok);
    EXPECT_EQ(loginResults, c.loginResults);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Failures, DatabaseCheckFailure,
    testing::Values(FailureCase{"unreachableServer", {}, true, "sa", "Secret#1", kCannotConnect, {}},
                    FailureCase{"wrongPassword", {}, false, "sa", "secret#1", kLoginRejected, {false}},
                    FailureCase{"unknownLogin", {}, false, "nobody", "Secret#1", kLoginRejected, {false}},
                    FailureCase{"connectionDroppedDuringQuery", {"--drop-connection-on", "sysdatabases"}, false, "sa",
                                "Secret#1", kCannotConnect, {true}}),
    CaseName());
// clang-format on

// FreeTDS before 1.3.21 and the driver manager would read this password
// differently: it is refused before anything is sent.
TEST(DatabaseCheckOverFreeTds13, refusesAPasswordItCannotCarry)
{
    RoadWindow w(standin({"sales"}, {}, {"sa:Se;cret}"}));
    if (braceDialectOfLibrary(driverLibraryFile("SQL Server")) != BraceDialect::FreeTdsVerbatim)
        GTEST_SKIP() << "the loaded driver reads braced values the standard way";
    w.type(w.server.serverField(), "sa", "Se;cret}");
    w.form.Combo1.addItem("sales");

    w.form.bd();

    ASSERT_EQ(w.harness.messages.boxes.size(), 1u);
    EXPECT_EQ(w.harness.messages.boxes[0].text.rfind("服务器、帐号或密码中含有数据库驱动无法原样传送的字符组合", 0),
              0u);
    EXPECT_TRUE(w.server.log().empty());
}

struct LoginCase {
    const char* name;
    std::string user;
    std::string password;
};

class Login : public testing::TestWithParam<LoginCase> {};

// The stand-in takes only the exact password it was given, so a login
// that succeeds proves the value arrived unaltered.
TEST_P(Login, arrivesExactlyAsTyped)
{
    const LoginCase& c = GetParam();
    RoadWindow w(standin({"sales"}, {}, {c.user + ":" + c.password}));
    w.type(w.server.serverField(), c.user, c.password);
    w.form.Combo1.addItem("sales");

    const std::size_t found = w.form.bd();

    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{});
    EXPECT_EQ(found, 1u);
    const auto logins = w.logins();
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_TRUE(logins[0].ok);
    EXPECT_EQ(logins[0].user, c.user);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, Login,
                         testing::Values(LoginCase{"semicolon", "sa", "Se;cret"}, LoginCase{"closingBrace", "sa", "Se}cret"},
                                         LoginCase{"doubledBrace", "sa", "Se}}cret"}, LoginCase{"openingBrace", "sa", "{Secret"},
                                         LoginCase{"attributeLike", "sa", "x;Driver=y;uid=z"},
                                         LoginCase{"blanksAround", "sa", " Secret "},
                                         LoginCase{"chinese", "管理员", "密码#1"}),
                         CaseName());
// clang-format on

} // namespace
