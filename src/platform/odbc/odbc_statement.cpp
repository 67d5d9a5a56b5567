#include "platform/odbc/odbc_statement.h"

#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/odbc/odbc_error_mapping.h"
#include "platform/odbc/sql_text.h"

namespace {

SQLPOINTER integerAttribute(SQLULEN value)
{
    return reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(value));
}

// What the driver says of a connection it has given up on (FreeTDS reports
// a link that the system ended, for example, as "Unknown error" HY000).
const DiagnosticRecord kConnectionDead{"08S01", 0, "the connection to the server is lost"};

bool connectionDead(SQLHDBC connection)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    return SQL_SUCCEEDED(::SQLGetConnectAttrW(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))
        && dead == SQL_CD_TRUE;
}

} // namespace

OdbcStatement::OdbcStatement(SQLHDBC connection)
    : m_connection(connection)
    , m_handle(SQL_HANDLE_DBC, connection, OdbcPhase::Statement)
{
    const struct {
        SQLINTEGER attribute;
        SQLULEN value;
    } settings[] = {
        {SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY},
        {SQL_ATTR_CONCURRENCY, SQL_CONCUR_READ_ONLY},
        {SQL_ATTR_QUERY_TIMEOUT, 0},
    };
    for (const auto& setting : settings) {
        if (!succeeded(::SQLSetStmtAttrW(m_handle.get(), setting.attribute, integerAttribute(setting.value), 0)))
            throwIfFailed();
    }
}

void OdbcStatement::execute(const std::string& text)
{
    std::vector<SQLWCHAR> wide = SqlText::wide(text);
    if (wide.size() > static_cast<std::size_t>(std::numeric_limits<SQLINTEGER>::max()))
        throw DatabaseError(DatabaseError::kErrorsInCommand, "HY090", 0, "the statement is too long");
    succeeded(::SQLExecDirectW(m_handle.get(), wide.data(), static_cast<SQLINTEGER>(wide.size())));
}

bool OdbcStatement::toRowSet()
{
    while (true) {
        SQLSMALLINT columns = 0;
        if (!succeeded(::SQLNumResultCols(m_handle.get(), &columns)))
            return false;
        if (columns > 0)
            return true;
        const SQLRETURN rc = ::SQLMoreResults(m_handle.get());
        if (rc == SQL_NO_DATA || !succeeded(rc))
            return false;
    }
}

bool OdbcStatement::fetch()
{
    const SQLRETURN rc = ::SQLFetch(m_handle.get());
    return rc != SQL_NO_DATA && succeeded(rc);
}

void OdbcStatement::drain()
{
    std::vector<DiagnosticRecord> previousFailure;
    while (!linkLost()) {
        const std::size_t known = m_errors.size();
        const SQLRETURN rc = ::SQLMoreResults(m_handle.get());
        if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE)
            return;
        if (succeeded(rc)) {
            previousFailure.clear();
            continue;
        }
        // The same failure twice running: the driver makes no progress.
        std::vector<DiagnosticRecord> failure(m_errors.begin() + static_cast<std::ptrdiff_t>(known), m_errors.end());
        if (failure == previousFailure)
            return;
        previousFailure = std::move(failure);
    }
}

void OdbcStatement::throwIfFailed() const
{
    if (!m_errors.empty())
        throw OdbcErrorMapping::toDatabaseError(OdbcPhase::Statement, m_errors);
}

bool OdbcStatement::succeeded(SQLRETURN rc)
{
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return true;
    const std::vector<DiagnosticRecord> records = m_handle.diagnostics();
    m_errors.insert(m_errors.end(), records.begin(), records.end());
    if (records.empty())
        m_errors.push_back(
            {"HY000", 0, "the driver failed without diagnostics (return code " + std::to_string(rc) + ")"});
    if (connectionDead(m_connection) && std::find(m_errors.begin(), m_errors.end(), kConnectionDead) == m_errors.end())
        m_errors.push_back(kConnectionDead);
    return false;
}

bool OdbcStatement::linkLost() const
{
    return !m_errors.empty()
        && OdbcErrorMapping::toDatabaseError(OdbcPhase::Statement, m_errors).number() == DatabaseError::kFail;
}
