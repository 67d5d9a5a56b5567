#include "odbc_client.h"

#include "wide_text.h"

namespace ondrel::win32test {
namespace {

void collectDiagnostics(SQLSMALLINT type, SQLHANDLE handle, std::vector<OdbcDiagnostic>& out)
{
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[2048] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, text, 2048, &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return;
        out.push_back({utf8(reinterpret_cast<const wchar_t*>(state)), static_cast<int>(native),
                       utf8(reinterpret_cast<const wchar_t*>(text))});
    }
}

std::optional<std::string> column(SQLHSTMT stmt, SQLUSMALLINT number)
{
    std::wstring value;
    SQLWCHAR chunk[256];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, number, SQL_C_WCHAR, chunk, sizeof chunk, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return std::nullopt;
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        value += reinterpret_cast<const wchar_t*>(chunk);
        if (rc == SQL_SUCCESS)
            break;
    }
    return utf8(value);
}

} // namespace

std::vector<int> OdbcOutcome::natives() const
{
    std::vector<int> out;
    for (const OdbcDiagnostic& d : diagnostics)
        out.push_back(d.native);
    return out;
}

std::string OdbcOutcome::describe() const
{
    std::string text = "rc " + std::to_string(rc);
    for (const OdbcDiagnostic& d : diagnostics)
        text += "\n  " + d.state + " " + std::to_string(d.native) + " " + d.text;
    return text;
}

OdbcClient::OdbcClient()
{
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
}

OdbcClient::~OdbcClient()
{
    if (connected_)
        SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

OdbcOutcome OdbcClient::connect(const std::wstring& connectionString)
{
    OdbcOutcome outcome;
    SQLSetConnectAttrW(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(10), 0);
    std::wstring text = connectionString;
    outcome.rc = SQLDriverConnectW(dbc_, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                   nullptr, SQL_DRIVER_NOPROMPT);
    collectDiagnostics(SQL_HANDLE_DBC, dbc_, outcome.diagnostics);
    connected_ = outcome.ok();
    return outcome;
}

OdbcOutcome OdbcClient::execute(const std::wstring& sql)
{
    OdbcOutcome outcome;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt) != SQL_SUCCESS) {
        collectDiagnostics(SQL_HANDLE_DBC, dbc_, outcome.diagnostics);
        return outcome;
    }
    std::wstring text = sql;
    outcome.rc = SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS);
    SQLRETURN rc = outcome.rc;
    // Every result in turn: a backup's messages come one result each.
    while (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
        collectDiagnostics(SQL_HANDLE_STMT, stmt, outcome.diagnostics);
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        while (columns > 0 && SQL_SUCCEEDED(SQLFetch(stmt))) {
            std::vector<std::optional<std::string>> row;
            for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c)
                row.push_back(column(stmt, c));
            outcome.rows.push_back(std::move(row));
        }
        rc = SQLMoreResults(stmt);
        if (rc == SQL_ERROR)
            outcome.rc = SQL_ERROR;
    }
    if (rc == SQL_ERROR)
        collectDiagnostics(SQL_HANDLE_STMT, stmt, outcome.diagnostics);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return outcome;
}

} // namespace ondrel::win32test
