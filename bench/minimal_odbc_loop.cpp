#include "minimal_odbc_loop.h"

#include <sqlext.h>

#include <cstdint>
#include <stdexcept>

#include "platform/odbc/sql_text.h"

namespace {

std::vector<std::vector<SQLWCHAR>> wideAll(const std::vector<std::string>& texts)
{
    std::vector<std::vector<SQLWCHAR>> wide;
    wide.reserve(texts.size());
    for (const std::string& text : texts)
        wide.push_back(SqlText::wide(text));
    return wide;
}

void check(SQLRETURN rc, const char* what)
{
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        throw std::runtime_error(std::string("minimal ODBC loop: ") + what + " failed");
}

} // namespace

MinimalOdbcLoop::MinimalOdbcLoop(const std::string& connectionString)
    : m_connectionString(SqlText::wide(connectionString))
{
    check(::SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_environment), "SQLAllocHandle(ENV)");
    const auto version = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3));
    check(::SQLSetEnvAttr(m_environment, SQL_ATTR_ODBC_VERSION, version, 0), "SQLSetEnvAttr");
}

MinimalOdbcLoop::~MinimalOdbcLoop()
{
    ::SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
}

SQLHDBC MinimalOdbcLoop::connect()
{
    SQLHDBC connection = SQL_NULL_HDBC;
    check(::SQLAllocHandle(SQL_HANDLE_DBC, m_environment, &connection), "SQLAllocHandle(DBC)");
    const SQLRETURN rc =
        ::SQLDriverConnectW(connection, nullptr, m_connectionString.data(),
                            static_cast<SQLSMALLINT>(m_connectionString.size()), nullptr, 0, nullptr,
                            SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        ::SQLFreeHandle(SQL_HANDLE_DBC, connection);
        throw std::runtime_error("minimal ODBC loop: SQLDriverConnectW failed");
    }
    return connection;
}

void MinimalOdbcLoop::drain(SQLHSTMT statement)
{
    SQLRETURN rc = SQL_SUCCESS;
    do {
        rc = ::SQLMoreResults(statement);
        check(rc, "SQLMoreResults");
    } while (rc != SQL_NO_DATA);
}

void MinimalOdbcLoop::backUpEach(const std::vector<std::string>& statements)
{
    std::vector<std::vector<SQLWCHAR>> wide = wideAll(statements);
    for (std::vector<SQLWCHAR>& text : wide) {
        SQLHDBC connection = connect();
        SQLHSTMT statement = SQL_NULL_HSTMT;
        check(::SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement), "SQLAllocHandle(STMT)");
        check(::SQLExecDirectW(statement, text.data(), static_cast<SQLINTEGER>(text.size())), "SQLExecDirectW");
        drain(statement);
        ::SQLFreeHandle(SQL_HANDLE_STMT, statement);
        ::SQLDisconnect(connection);
        ::SQLFreeHandle(SQL_HANDLE_DBC, connection);
    }
}

std::size_t MinimalOdbcLoop::queryEach(const std::vector<std::string>& statements)
{
    std::vector<std::vector<SQLWCHAR>> wide = wideAll(statements);
    std::size_t rows = 0;
    SQLHDBC connection = connect();
    for (std::vector<SQLWCHAR>& text : wide) {
        SQLHSTMT statement = SQL_NULL_HSTMT;
        check(::SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement), "SQLAllocHandle(STMT)");
        check(::SQLExecDirectW(statement, text.data(), static_cast<SQLINTEGER>(text.size())), "SQLExecDirectW");
        const SQLRETURN fetched = ::SQLFetch(statement);
        check(fetched, "SQLFetch");
        if (fetched != SQL_NO_DATA)
            ++rows;
        drain(statement);
        ::SQLFreeHandle(SQL_HANDLE_STMT, statement);
    }
    ::SQLDisconnect(connection);
    ::SQLFreeHandle(SQL_HANDLE_DBC, connection);
    return rows;
}
