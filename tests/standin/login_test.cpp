#include "standin_test_support.h"

#include <sqlucode.h>

#include <regex>

namespace {

StandinOptions withDatabases() {
    StandinOptions o;
    o.logins = {"sa:Secret#1", "backup_operator:Se;cr}et", "备份员:密码#1"};
    o.databases = {"Sales:256KB", "销售:256KB"};
    return o;
}

struct LoginCase {
    const char* name;
    std::string login;
    std::string database;
    std::vector<int> errors;   // empty: the login succeeds
};

void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }

class Logins : public ::testing::TestWithParam<LoginCase> {};

TEST_P(Logins, AreAnsweredAsSqlServerAnswersThem) {
    StandinServer server(withDatabases());
    useProjectOdbcDrivers();
    OdbcSession session;
    const OdbcResult r = session.connect(standinConnectionString(server, GetParam().login, GetParam().database));
    const auto& log = server.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().kind, "login");
    EXPECT_EQ(log.front().user, GetParam().login.substr(0, GetParam().login.find(':')));
    if (GetParam().errors.empty()) {
        EXPECT_TRUE(r.ok()) << r.describe();
        EXPECT_TRUE(log.front().ok);
        return;
    }
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_FALSE(log.front().ok);
    std::vector<int> natives;
    for (const OdbcMessage& m : r.messages)
        if (m.native != 0) natives.push_back(m.native);
    EXPECT_EQ(natives, GetParam().errors) << r.describe();
    const std::string user = GetParam().login.substr(0, GetParam().login.find(':'));
    bool named = false;
    for (const OdbcMessage& m : r.messages) named = named || contains(m.text, "Login failed for user '" + user + "'.");
    EXPECT_TRUE(named) << r.describe();
}

INSTANTIATE_TEST_SUITE_P(
    Standin, Logins,
    ::testing::Values(LoginCase{"Good", "sa:Secret#1", "", {}},
                      LoginCase{"UserNameIgnoresCase", "SA:Secret#1", "Sales", {}},
                      LoginCase{"DatabaseIgnoresCase", "sa:Secret#1", "SALES", {}},
                      LoginCase{"ChineseDatabase", "sa:Secret#1", "销售", {}},
                      LoginCase{"BracedPasswordWithSemicolonAndBrace", "backup_operator:Se;cr}et", "", {}},
                      LoginCase{"ChineseLoginAndPassword", "备份员:密码#1", "", {}},
                      LoginCase{"PasswordIsCaseSensitive", "sa:secret#1", "", {18456}},
                      LoginCase{"UnknownUser", "nobody:Secret#1", "", {18456}},
                      // Sent as 4060 then 18456; FreeTDS ranks diagnostics by severity.
                      LoginCase{"UnknownDatabase", "sa:Secret#1", "Nowhere", {18456, 4060}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(StandinLogin, ReportsTheLoginDatabaseAsTheCurrentCatalog) {
    StandinServer server(withDatabases());
    auto session = connectTo(server, "销售");
    EXPECT_EQ(session->currentCatalog(), "销售");
    auto other = connectTo(server, "sales");
    EXPECT_EQ(other->currentCatalog(), "Sales");
}

TEST(StandinLogin, FreeTdsKeepsDoubledBracesLiterally) {
    // In FreeTDS 1.3 a braced value ends at the first "};" and "}}" is not
    // unescaped: the ODBC-standard spelling of this password does not log in.
    StandinServer server(withDatabases());
    useProjectOdbcDrivers();
    OdbcSession session;
    const std::string standardQuoting =
        "Driver={SQL Server};Server=" + server.serverField() + ";UID=backup_operator;PWD={Se;cr}}et};";
    EXPECT_FALSE(session.connect(standardQuoting).ok());
}

// Each TDS version FreeTDS speaks encodes DONE counts, line numbers and
// request headers differently; all of them must work.
class TdsVersions : public ::testing::TestWithParam<const char*> {};

TEST_P(TdsVersions, LogInQueryAndBackUp) {
    StandinServer server(withDatabases());
    auto session = connectTo(server, "Sales", "sa:Secret#1", std::string("TDS_Version=") + GetParam() + ";");
    OdbcResult r = session->execute("select name, dbid from master.dbo.sysdatabases where name = ?", {"销售"});
    ASSERT_EQ(r.rows.size(), 1u) << r.describe();
    EXPECT_EQ(r.rows[0][0], "销售");
    EXPECT_EQ(r.rows[0][1], "6");
    r = session->execute("select name from sysdatabases where name = N'nope'");
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.rows.empty());
    r = session->execute("frobnicate");
    ASSERT_FALSE(r.messages.empty());
    EXPECT_EQ(r.messages[0].native, 102);
    r = session->execute("backup database [销售] to disk = N'v.bak'");
    EXPECT_TRUE(r.ok()) << r.describe();
    EXPECT_EQ(r.natives(), (std::vector<int>{4035, 4035, 3014}));
}

INSTANTIATE_TEST_SUITE_P(Standin, TdsVersions, ::testing::Values("7.1", "7.2", "7.3", "7.4"),
                         [](const auto& test) { return "Tds" + std::string(1, test.param[2]); });

}  // namespace
