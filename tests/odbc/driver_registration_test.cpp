// Runs twice: with the driver registered by its library's bare name, as
// Debian's own entry has it ("Driver = libtdsodbc.so"), and by its full
// path; ODBCSYSINI points at one driver list or the other.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "case_name.h"
#include "platform/odbc/driver_kind.h"
#include "platform/odbc/driver_library.h"
#include "road_window.h"

namespace {

const std::string kNotCarried = "服务器、帐号或密码中含有数据库驱动无法原样传送的字符组合(如“}”与“;”同用),未连接服务器,"
                                "请修改后重试。报错号:-2147217887";

// The dialect of the library the tests register, read from the file itself.
BraceDialect registeredDialect()
{
    return braceDialectOfLibrary(std::filesystem::canonical(ONDREL_TDSODBC_DRIVER));
}

TEST(DriverRegistration, namesTheFileTheDriverManagerLoads)
{
    useProjectOdbcDrivers();
    EXPECT_EQ(driverLibraryFile("SQL Server"), std::filesystem::canonical(ONDREL_TDSODBC_DRIVER))
        << "registered as '" << driverLibraryPath("SQL Server") << "'";
    EXPECT_EQ(braceDialectOfLibrary(driverLibraryFile("SQL Server")), registeredDialect());
}

struct Login {
    const char* name;
    std::string account;
    std::string password;
};

void PrintTo(const Login& login, std::ostream* os)
{
    *os << login.name;
}

// What a FreeTDS before 1.3.21 and the driver manager would read apart.
bool readApartByOldFreeTds(const std::string& value)
{
    return value.find('}') != std::string::npos && (value.find(';') != std::string::npos || value.front() == '{');
}

class BracesInTheLogin : public testing::TestWithParam<Login> {};

// The server sees exactly what was typed, or nothing at all and the operator
// is told why; refused is only what the loaded driver could not be handed.
TEST_P(BracesInTheLogin, reachTheServerExactlyOrNotAtAll)
{
    const Login& login = GetParam();
    RoadWindow w(standin({"sales:16KB"}, {}, {login.account + ":" + login.password}));
    w.type(w.server.serverField(), login.account, login.password);
    w.form.Combo1.addItem("sales");

    w.form.Command1.click();

    const bool refused = registeredDialect() == BraceDialect::FreeTdsVerbatim
        && (readApartByOldFreeTds(login.account) || readApartByOldFreeTds(login.password));
    if (refused) {
        EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{kNotCarried});
        EXPECT_TRUE(w.server.log().empty());
        EXPECT_EQ(w.form.Command1.caption(), "开始运行");
        return;
    }
    ASSERT_EQ(w.logins().size(), 1u);
    EXPECT_EQ(w.logins()[0].user, login.account);
    EXPECT_TRUE(w.logins()[0].ok) << "the password arrived altered";
    EXPECT_EQ(w.form.Command1.caption(), "停止备份")
        << (w.harness.messages.boxes.empty() ? "" : w.harness.messages.boxes[0].text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Logins, BracesInTheLogin, testing::Values(
    Login{"closingBrace", "sa", "Se}cret1"},
    Login{"closingBraceInAccount", "a}b", "Secret#1"},
    Login{"doubledBrace", "sa", "Se}}cret1"},
    Login{"doubledBraceInAccount", "a}}b", "Secret#1"},
    Login{"closingBraceLast", "sa", "Secret1}"},
    Login{"openingBrace", "sa", "{Secret1"},
    Login{"openingBraceInAccount", "{ab", "Secret#1"},
    Login{"semicolon", "sa", "Se;cret1"},
    Login{"semicolonInAccount", "a;b", "Secret#1"},
    Login{"bracesAround", "sa", "{Secret1}"},
    Login{"braceAndSemicolon", "sa", "Se};cret1"},
    Login{"braceAndSemicolonInAccount", "a;}", "Secret#1"}),
    CaseName());
// clang-format on

} // namespace
