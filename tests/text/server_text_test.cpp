// What the program writes into statements and connection strings: no name,
// path, server, account or password can end its quotes early.

#include <gtest/gtest.h>

#include <string>

#include "text/connection_string.h"
#include "text/letter_case.h"
#include "text/server_statements.h"

namespace {

TEST(ServerStatements, quoteNamesAndPathsSoNothingEndsThemEarly)
{
    EXPECT_EQ(ServerStatements::backupStatement("sales", "D:\\BAK\\sales.bak"),
              "backup database [sales] to disk=N'D:\\BAK\\sales.bak'");
    EXPECT_EQ(ServerStatements::backupStatement("a]b", "D:\\o'brien\\a]b.bak"),
              "backup database [a]]b] to disk=N'D:\\o''brien\\a]b.bak'");
    EXPECT_EQ(ServerStatements::backupStatement("x] to disk='evil'--", "/b/"),
              "backup database [x]] to disk='evil'--] to disk=N'/b/'");
    EXPECT_EQ(ServerStatements::existenceQuery("o'brien"),
              "Select * From master.dbo.sysdatabases Where name = N'o''brien'");
    EXPECT_EQ(ServerStatements::existenceQuery("销售"), "Select * From master.dbo.sysdatabases Where name = N'销售'");
}

// Whatever the operator types comes back out of the string unchanged, and
// adds no attribute of its own.
TEST(ConnectionString, everyValueReadsBackAsTyped)
{
    const std::string values[] = {"plain",  "",      "a;b",   "a}b", "{a}",  "}}",        " lead",
                                  "trail ", "a=b;c", "pwd=x", "{",   "}; x", "密码;中文", "a}};b"};
    for (const std::string& value : values) {
        const std::string text = ConnectionString::build("host,1", "master", value, value);
        const auto attributes = ConnectionString::attributes(text);
        ASSERT_EQ(attributes.size(), 5u) << text;
        EXPECT_EQ(attributes[3].value, value) << text;
        EXPECT_EQ(attributes[4].value, value) << text;
        EXPECT_EQ(ConnectionString::attribute(text, "PWD"), value) << text;
    }
    EXPECT_EQ(ConnectionString::build("127.0.0.1", "master", "sa", "Secret#1"),
              "Driver={SQL Server};Server=127.0.0.1;Database=master;uid=sa;pwd=Secret#1;");
}

TEST(ConnectionString, readsKeywordsWithoutRegardToCase)
{
    const std::string text = "DRIVER={SQL Server};server=h;Database=master;";
    EXPECT_EQ(ConnectionString::attribute(text, "Driver"), "SQL Server");
    EXPECT_EQ(ConnectionString::attribute(text, "Server"), "h");
    EXPECT_EQ(ConnectionString::attribute(text, "uid"), std::nullopt);
}

TEST(LetterCase, changesAsciiLettersOnly)
{
    EXPECT_EQ(LetterCase::upper("c:\\data\\备份é"), "C:\\DATA\\备份é");
    EXPECT_EQ(LetterCase::lower("WWW.Ondrel.CN"), "www.ondrel.cn");
    EXPECT_TRUE(LetterCase::equalIgnoringCase("Server", "sERVER"));
    EXPECT_FALSE(LetterCase::equalIgnoringCase("Server", "Servers"));
}

} // namespace
