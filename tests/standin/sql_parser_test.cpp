#include "sql_error.h"
#include "sql_parser.h"
#include "text.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

using namespace sqlstandin;

namespace {

struct Accepted {
    const char* sql;
    std::vector<std::size_t> kinds;   // Statement variant indices: 0 SET, 1 USE, 2 SELECT, 3 BACKUP
};

void PrintTo(const Accepted& a, std::ostream* os) { *os << a.sql; }

class AcceptedStatements : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedStatements, ParseIntoTheExpectedStatements) {
    const auto statements = SqlParser::parse(GetParam().sql, {"@P1"});
    std::vector<std::size_t> kinds;
    for (const Statement& s : statements) kinds.push_back(s.index());
    EXPECT_EQ(kinds, GetParam().kinds) << GetParam().sql;
}

INSTANTIATE_TEST_SUITE_P(
    Sql, AcceptedStatements,
    ::testing::Values(
        Accepted{"select 1", {2}},
        Accepted{"  SELECT\n\t1  ", {2}},
        Accepted{"SET NOCOUNT ON", {0}},
        Accepted{"set textsize 64512 use [Sales]", {0, 1}},
        Accepted{"SET NOCOUNT ON; SET XACT_ABORT ON;select 1;", {0, 0, 2}},
        Accepted{"SET TRANSACTION ISOLATION LEVEL READ COMMITTED", {0}},
        Accepted{"select name from master.dbo.sysdatabases where name = N'x'", {2}},
        Accepted{"SELECT * FROM [master].[dbo].[sysdatabases] WHERE [name]=@P1", {2}},
        Accepted{"select count(*) from master..sysdatabases where name = 'a'", {2}},
        Accepted{"select name, dbid from master.dbo.sysdatabases order by name desc", {2}},
        Accepted{"/* a /* nested */ comment */ select 1 -- trailing", {2}},
        Accepted{"backup database [Sales] to disk='x.bak'", {3}},
        Accepted{"BACKUP DATABASE Sales TO DISK = N'/b/x.bak' WITH NOFORMAT, NOINIT, NAME = N'full', SKIP, STATS = 10", {3}},
        Accepted{"backup database @P1 to disk = @P1", {3}},
        Accepted{"", {}},
        Accepted{";;", {}}));

struct Refused {
    std::string sql;
    std::vector<int> numbers;
    std::string firstText;
};

void PrintTo(const Refused& r, std::ostream* os) { *os << r.sql.substr(0, 60); }

class RefusedStatements : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedStatements, FailWithTheServersMessages) {
    try {
        SqlParser::parse(GetParam().sql);
        FAIL() << "accepted: " << GetParam().sql;
    } catch (const SqlError& e) {
        std::vector<int> numbers;
        for (const ServerMessage& m : e.messages()) {
            numbers.push_back(m.number);
            EXPECT_EQ(m.severity, 15);
        }
        EXPECT_EQ(numbers, GetParam().numbers);
        EXPECT_EQ(e.messages().front().text, GetParam().firstText);
    }
}

const std::string kLongName(129, 'x');

INSTANTIATE_TEST_SUITE_P(
    Sql, RefusedStatements,
    ::testing::Values(
        Refused{"drop database Sales", {102}, "Incorrect syntax near 'drop'."},
        Refused{"select", {102}, "Incorrect syntax near 'select'."},
        Refused{"select 1 from", {102}, "Incorrect syntax near 'from'."},
        Refused{"select name from master.dbo.sysdatabases where name like 'a%'", {102}, "Incorrect syntax near 'like'."},
        Refused{"select 'abc", {105, 102}, "Unclosed quotation mark after the character string 'abc'."},
        Refused{"select N'it''s", {105, 102}, "Unclosed quotation mark after the character string 'it''s'."},
        Refused{"backup database [Sales to disk='x'", {105, 102},
                "Unclosed quotation mark after the character string 'Sales to disk='x''."},
        Refused{"select [" + kLongName + "]", {103},
                "The identifier that starts with '" + kLongName.substr(0, 128) + "' is too long. Maximum length is 128."},
        Refused{"select 1 /* never closed", {113}, "Missing end comment mark '*/'."},
        Refused{"select @name", {137}, "Must declare the scalar variable \"@name\"."},
        Refused{"backup log Sales to disk='x'", {102}, "Incorrect syntax near 'log'."},
        Refused{"backup database Sales to url='x'", {102}, "Incorrect syntax near 'url'."},
        Refused{"backup database Sales to disk='x' with differential", {102}, "Incorrect syntax near 'differential'."}));

TEST(SqlParser, UnescapesQuotesAndBrackets) {
    const auto statements = SqlParser::parse("backup database [a]]b] to disk = N'O''Neil.bak' with init");
    const auto& backup = std::get<BackupStatement>(statements.at(0));
    EXPECT_EQ(backup.database.literal.asText(), "a]b");
    EXPECT_EQ(backup.path.literal.asText(), "O'Neil.bak");
    EXPECT_TRUE(backup.overwrite);
}

TEST(SqlParser, KeepsUnicodeOnlyInNLiterals) {
    const auto statements = SqlParser::parse("select 1 from sysdatabases where name = '销售' select 1 from sysdatabases where name = N'销售'");
    EXPECT_EQ(std::get<SelectStatement>(statements.at(0)).whereValue.literal.asText(), "??");
    EXPECT_EQ(std::get<SelectStatement>(statements.at(1)).whereValue.literal.asText(), "销售");
}

TEST(SqlParser, ReportsTheLineOfTheError) {
    try {
        SqlParser::parse("select 1;\nselect 2;\nfrobnicate");
        FAIL();
    } catch (const SqlError& e) {
        EXPECT_EQ(e.messages().front().line, 3);
    }
}

struct NamePair {
    const char* a;
    const char* b;
    bool same;
};

void PrintTo(const NamePair& p, std::ostream* os) { *os << p.a << " / " << p.b; }

class CollationNames : public ::testing::TestWithParam<NamePair> {};

TEST_P(CollationNames, CompareAsTheDefaultCollation) {
    EXPECT_EQ(text::sameName(GetParam().a, GetParam().b), GetParam().same) << GetParam().a << " / " << GetParam().b;
}

INSTANTIATE_TEST_SUITE_P(Text, CollationNames,
                         ::testing::Values(NamePair{"Sales", "SALES", true}, NamePair{"Sales   ", "sales", true},
                                           NamePair{" Sales", "Sales", false}, NamePair{"Ärger", "äRGER", true},
                                           NamePair{"Sales", "Salés", false}, NamePair{"销售", "销售  ", true},
                                           NamePair{"销售", "销", false}, NamePair{"ПРОДАЖИ", "продажи", true}));

TEST(Text, Utf16RoundTripKeepsCharactersOutsideTheBasicPlane) {
    const std::string s = "a销😀";
    EXPECT_EQ(text::utf16Length(s), 4u);
    EXPECT_EQ(text::utf16ToUtf8(text::utf8ToUtf16(s)), s);
    EXPECT_EQ(text::utf16Prefix(s, 3), "a销");
}

TEST(Text, CodePage1252KeepsItsOwnCharacters) {
    EXPECT_EQ(text::narrowToCodePage("café €"), "café €");
    EXPECT_EQ(text::narrowToCodePage("日本"), "??");
    const std::uint8_t euro = 0x80;
    EXPECT_EQ(text::cp1252ToUtf8(&euro, 1), "€");
}

}  // namespace
