#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "case_name.h"
#include "freetds13_reader.h"
#include "platform/database_error.h"
#include "platform/odbc/driver_connection_string.h"
#include "text/connection_string.h"

namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// What unixODBC's driver manager sees in the string (it picks the driver,
// and its own Driver, DSN, FILEDSN, SAVEFILE... attributes, from it).
Attributes readAsDriverManager(const std::string& text)
{
    Attributes attributes;
    for (const ConnectionString::Attribute& attribute : ConnectionString::attributes(text))
        attributes.emplace_back(attribute.keyword, attribute.value);
    return attributes;
}

Attributes expectedFor(const std::string& server, const std::string& user, const std::string& password)
{
    return {{"Driver", "SQL Server"}, {"Server", server}, {"Database", "master"}, {"uid", user}, {"pwd", password}};
}

struct Login {
    const char* name;
    std::string user;
    std::string password;
};

class Carried : public testing::TestWithParam<Login> {};

// Every value arrives exactly as typed, both at FreeTDS 1.3 and at the
// driver manager that reads the same string to choose the driver.
TEST_P(Carried, byFreeTds13AndTheDriverManagerAlike)
{
    const Login& login = GetParam();
    const ServerLogin typed{"127.0.0.1,1500", login.user, login.password};
    const std::string forDriver = DriverConnectionString::forDriver(typed, BraceDialect::FreeTdsVerbatim);
    EXPECT_EQ(readAsFreeTds13(forDriver), expectedFor("127.0.0.1,1500", login.user, login.password)) << forDriver;
    EXPECT_EQ(readAsDriverManager(forDriver), expectedFor("127.0.0.1,1500", login.user, login.password)) << forDriver;
}

// Where the driver cannot be told, what is sent reads the same both ways.
TEST_P(Carried, byEitherReadingWhereTheDriverCannotBeTold)
{
    const Login& login = GetParam();
    const ServerLogin typed{"127.0.0.1,1500", login.user, login.password};
    const std::string forDriver = DriverConnectionString::forDriver(typed, BraceDialect::Unknown);
    EXPECT_EQ(readAsFreeTds13(forDriver), expectedFor("127.0.0.1,1500", login.user, login.password)) << forDriver;
    EXPECT_EQ(readAsDriverManager(forDriver), expectedFor("127.0.0.1,1500", login.user, login.password)) << forDriver;
}

// A driver that reads the ODBC standard gets the program's string itself.
TEST_P(Carried, byAStandardDriverUnchanged)
{
    const Login& login = GetParam();
    const ServerLogin typed{"127.0.0.1,1500", login.user, login.password};
    const std::string model = ConnectionString::build("127.0.0.1,1500", "master", login.user, login.password);
    EXPECT_EQ(DriverConnectionString::forDriver(typed, BraceDialect::Standard), model);
}

INSTANTIATE_TEST_SUITE_P(Values, Carried,
                         testing::Values(Login{"ordinary", "sa", "Secret#1"}, Login{"semicolon", "sa", "a;b"},
                                         Login{"closingBrace", "sa", "a}b"}, Login{"doubledBrace", "sa", "a}}b"},
                                         Login{"braceAtEnd", "sa", "ab}"}, Login{"openingBrace", "sa", "{ab"},
                                         Login{"openingBraceAndSemicolon", "sa", "{a;b"},
                                         Login{"blanksAround", "sa", " pw "}, Login{"blankAndBrace", "sa", " a}"},
                                         Login{"equalsSign", "sa", "a=b;Driver=x"}, Login{"chinese", "管理员", "密码"},
                                         Login{"braceInUser", "o}neil", "x"}, Login{"empty", "sa", ""}),
                         CaseName());

class NotCarried : public testing::TestWithParam<Login> {};

// FreeTDS 1.3 and the driver manager cannot both read these right: the
// connection fails before anything is sent, naming the field, not the value.
TEST_P(NotCarried, failBeforeConnecting)
{
    const Login& login = GetParam();
    const ServerLogin typed{"127.0.0.1,1500", login.user, login.password};
    const std::string model = ConnectionString::build("127.0.0.1,1500", "master", login.user, login.password);
    for (BraceDialect dialect : {BraceDialect::FreeTdsVerbatim, BraceDialect::Unknown}) {
        try {
            DriverConnectionString::forDriver(typed, dialect);
            ADD_FAILURE() << "carried " << model;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.number(), DatabaseError::kValueNotCarried);
            const std::string field = login.user == "sa" ? "'pwd'" : "'uid'";
            EXPECT_NE(std::string(error.what()).find(field), std::string::npos) << error.what();
            EXPECT_EQ(std::string(error.what()).find(login.user == "sa" ? login.password : login.user),
                      std::string::npos);
        }
    }
    // A standard reader takes them all.
    const std::string standard = DriverConnectionString::forDriver(typed, BraceDialect::Standard);
    EXPECT_EQ(readAsDriverManager(standard), expectedFor("127.0.0.1,1500", login.user, login.password));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, NotCarried,
                         testing::Values(Login{"braceAndSemicolon", "sa", "a;b}"},
                                         Login{"braceSemicolonTogether", "sa", "x};Driver=evil"},
                                         Login{"bracedWhole", "sa", "{ab}"},
                                         Login{"inUser", "a;}", "x"}),
                         CaseName());
// clang-format on

TEST(NulInValue, isNotCarried)
{
    const ServerLogin typed{"h,1", "sa", std::string("a\0b", 3)};
    EXPECT_THROW(DriverConnectionString::forDriver(typed, BraceDialect::Standard), DatabaseError);
}

struct ServerCase {
    const char* name;
    const char* typed;
    const char* sent;
};

class ServerValue : public testing::TestWithParam<ServerCase> {};

TEST_P(ServerValue, namesWhereToConnect)
{
    const ServerLogin typed{GetParam().typed, "sa", "pw"};
    const std::string forDriver = DriverConnectionString::forDriver(typed, BraceDialect::FreeTdsVerbatim);
    EXPECT_EQ(readAsFreeTds13(forDriver).at(1), std::make_pair(std::string("Server"), std::string(GetParam().sent)));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, ServerValue,
                         testing::Values(ServerCase{"address", "127.0.0.1", "127.0.0.1,1433"}, ServerCase{"hostName", "db.example", "db.example,1433"},
                                         ServerCase{"withPort", "127.0.0.1,1500", "127.0.0.1,1500"},
                                         ServerCase{"withInstance", "HOST\\SQLEXPRESS", "HOST\\SQLEXPRESS"},
                                         ServerCase{"empty", "", ""}),
                         CaseName());
// clang-format on

// FreeTDS is told the protocol version: its own guess would retry a silent
// server with the Sybase protocol. Other drivers get nothing of the kind.
TEST(ProtocolVersion, isNamedForFreeTdsOnly)
{
    const ServerLogin typed{"192.168.1.5", "sa", "Secret#1"};
    const std::string freeTds =
        DriverConnectionString::forDriver(typed, DriverKind{BraceDialect::FreeTdsVerbatim, true});
    EXPECT_EQ(freeTds,
              "Driver={SQL Server};Server=192.168.1.5,1433;Database=master;uid=sa;pwd=Secret#1;TDS_Version=7.4;");
    EXPECT_EQ(readAsFreeTds13(freeTds).back(), std::make_pair(std::string("TDS_Version"), std::string("7.4")));
    for (const DriverKind& other : {DriverKind{BraceDialect::Standard, false}, DriverKind{}})
        EXPECT_EQ(DriverConnectionString::forDriver(typed, other).find("TDS_Version"), std::string::npos);
}

TEST(OrdinaryInput, keepsTheProgramsStringWithThePortAdded)
{
    const ServerLogin typed{"192.168.1.5", "sa", "Secret#1"};
    EXPECT_EQ(DriverConnectionString::forDriver(typed, BraceDialect::FreeTdsVerbatim),
              "Driver={SQL Server};Server=192.168.1.5,1433;Database=master;uid=sa;pwd=Secret#1;");
}

} // namespace
