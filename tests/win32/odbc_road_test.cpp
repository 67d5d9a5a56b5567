#include "odbc_session.h"
#include "standin_road.h"
#include "wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>

// The server road of the Windows edition under Wine: Windows' odbc32,
// Wine's hand-over to this machine's unixODBC, the FreeTDS driver
// registered as "SQL Server", TCP on loopback, the stand-in.

namespace ondrel::win32test {
namespace {

std::wstring upperCased(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

// Names in a Windows folder, as listed there.
std::vector<std::wstring> namesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool contains(const std::vector<std::wstring>& names, const std::wstring& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool contains(const std::vector<std::string>& statements, const std::string& statement)
{
    return std::find(statements.begin(), statements.end(), statement) != statements.end();
}

class OdbcRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(road.up());
        const OdbcResult connected = client.connect(utf8(road.connectionString()));
        ASSERT_TRUE(connected.ok()) << connected.describe();
    }

    // Every run of the test program gets file names of its own: the road's
    // stand-in serves every test, side by side, so its log holds the
    // statements of others too.
    std::wstring unique(const std::wstring& stem) const
    {
        return stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L".BAK";
    }

    StandinRoad road = StandinRoad::fromEnvironment();
    OdbcSession client;
};

struct ExistenceCase {
    const char* name;
    std::wstring database;
    std::size_t rows;
};

void PrintTo(const ExistenceCase& c, std::ostream* os)
{
    *os << utf8(c.database);
}

class ExistenceQuery : public OdbcRoad, public ::testing::WithParamInterface<ExistenceCase> {};

TEST_P(ExistenceQuery, FindsWhatTheServerHolds)
{
    const std::wstring sql = L"Select * From master.dbo.sysdatabases Where name = N'" + GetParam().database + L"'";
    const OdbcResult found = client.execute(utf8(sql));
    ASSERT_TRUE(found.ok()) << found.describe();
    ASSERT_EQ(found.rows.size(), GetParam().rows);
    if (!found.rows.empty()) {
        EXPECT_EQ(found.rows[0].at(0), utf8(GetParam().database));
    }
    EXPECT_TRUE(contains(road.statements(), utf8(sql))) << utf8(sql);
}

INSTANTIATE_TEST_SUITE_P(Wine, ExistenceQuery,
                         ::testing::Values(ExistenceCase{"Present", L"Sales", 1}, ExistenceCase{"Chinese", L"销售", 1},
                                           ExistenceCase{"Absent", L"x", 0}),
                         [](const auto& test) { return std::string(test.param.name); });

// Ondrel sends its backup folder upper-cased: the stand-in's --drive Z:=/
// finds the real folders as Windows would.
TEST_F(OdbcRoad, BackupToAnUpperCasedFolderWritesTheFileThere)
{
    const std::wstring file = unique(L"SALES");
    const std::wstring sql = L"backup database [Sales] to disk=N'" + upperCased(road.backups()) + L"\\" + file + L"'";
    const OdbcResult backup = client.execute(utf8(sql));
    ASSERT_TRUE(backup.ok()) << backup.describe();
    EXPECT_EQ(backup.natives(), (std::vector<int>{4035, 4035, 3014})) << backup.describe();
    EXPECT_TRUE(contains(namesIn(road.backups()), file));
    EXPECT_TRUE(contains(road.statements(), utf8(sql))) << utf8(sql);
}

TEST_F(OdbcRoad, ChineseNamesTravelIntact)
{
    const std::wstring file = unique(L"销售 完整");
    const std::wstring sql = L"backup database [销售] to disk=N'" + road.backups() + L"\\" + file + L"'";
    const OdbcResult backup = client.execute(utf8(sql));
    ASSERT_TRUE(backup.ok()) << backup.describe();
    EXPECT_TRUE(contains(namesIn(road.backups()), file));
    EXPECT_TRUE(contains(road.statements(), utf8(sql))) << utf8(sql);
}

TEST_F(OdbcRoad, AFailedBackupReportsTheServersErrors)
{
    const std::wstring sql = L"backup database [Sales] to disk=N'Q:\\" + unique(L"NOWHERE") + L"'";
    const OdbcResult backup = client.execute(utf8(sql));
    EXPECT_EQ(backup.rc, SQL_ERROR);
    ASSERT_EQ(backup.natives(), (std::vector<int>{3201, 3013})) << backup.describe();
    EXPECT_EQ(backup.messages[0].text,
              "[FreeTDS][SQL Server]Cannot open backup device 'Q:\\" + utf8(unique(L"NOWHERE"))
                  + "'. Operating system error 3(The system cannot find the path specified.).");
}

} // namespace
} // namespace ondrel::win32test
