#include "odbc_session.h"

#include "text.h"

#include <sqlucode.h>

#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

std::basic_string<SQLWCHAR> wide(const std::string& utf8) {
    std::basic_string<SQLWCHAR> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) { cp = c & 0x07u; extra = 3; }
        else if (c >= 0xE0) { cp = c & 0x0Fu; extra = 2; }
        else if (c >= 0xC0) { cp = c & 0x1Fu; extra = 1; }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3Fu);
        if (cp >= 0x10000) {
            out += static_cast<SQLWCHAR>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<SQLWCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<SQLWCHAR>(cp);
        }
    }
    return out;
}

std::string narrow(const SQLWCHAR* text, std::size_t length) {
    return sqlstandin::text::utf16ToUtf8(std::u16string(text, text + length));
}

void collect(SQLSMALLINT type, SQLHANDLE handle, std::vector<OdbcMessage>& into) {
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[2048] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, text, 2048, &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return;
        into.push_back({narrow(state, 5), static_cast<int>(native), narrow(text, static_cast<std::size_t>(length))});
    }
}

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

}  // namespace

std::vector<int> OdbcResult::natives() const {
    std::vector<int> out;
    for (const OdbcMessage& m : messages) out.push_back(m.native);
    return out;
}

bool OdbcResult::hasState(const std::string& state) const {
    for (const OdbcMessage& m : messages)
        if (m.state == state) return true;
    return false;
}

std::string OdbcResult::describe() const {
    std::ostringstream out;
    out << "rc=" << rc << " rows=" << rows.size();
    for (const OdbcMessage& m : messages) out << "\n  [" << m.state << "] " << m.native << ": " << m.text;
    return out.str();
}

OdbcSession::OdbcSession() {
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) throw std::runtime_error("no ODBC environment");
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) throw std::runtime_error("no ODBC connection handle");
}

OdbcSession::~OdbcSession() {
    disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

OdbcResult OdbcSession::connect(const std::string& connectionString, int loginTimeoutSeconds) {
    SQLSetConnectAttrW(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(loginTimeoutSeconds)), 0);
    auto in = wide(connectionString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    OdbcResult result;
    result.rc = SQLDriverConnectW(dbc_, nullptr, in.data(), static_cast<SQLSMALLINT>(in.size()), out, 1024, &outLength,
                                  SQL_DRIVER_NOPROMPT);
    collect(SQL_HANDLE_DBC, dbc_, result.messages);
    connected_ = result.ok();
    return result;
}

void OdbcSession::disconnect() {
    if (connected_) SQLDisconnect(dbc_);
    connected_ = false;
}

std::string OdbcSession::currentCatalog() {
    SQLWCHAR name[256] = {};
    SQLINTEGER length = 0;
    if (!succeeded(SQLGetConnectAttrW(dbc_, SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length))) return {};
    return narrow(name, static_cast<std::size_t>(length) / sizeof(SQLWCHAR));
}

OdbcResult OdbcSession::setAutocommit(bool on) {
    OdbcResult result;
    result.rc = SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    collect(SQL_HANDLE_DBC, dbc_, result.messages);
    return result;
}

OdbcResult OdbcSession::endTransaction(bool commit) {
    OdbcResult result;
    result.rc = SQLEndTran(SQL_HANDLE_DBC, dbc_, commit ? SQL_COMMIT : SQL_ROLLBACK);
    collect(SQL_HANDLE_DBC, dbc_, result.messages);
    return result;
}

OdbcResult OdbcSession::execute(const std::string& sql, const std::vector<std::string>& params, int queryTimeoutSeconds) {
    return run(sql, params, queryTimeoutSeconds, std::nullopt, true);
}

OdbcResult OdbcSession::executeAndCancel(const std::string& sql, std::chrono::milliseconds delay) {
    return run(sql, {}, 0, delay, true);
}

OdbcResult OdbcSession::executeFirstResultOnly(const std::string& sql) { return run(sql, {}, 0, std::nullopt, false); }

OdbcResult OdbcSession::run(const std::string& sql, const std::vector<std::string>& params, int queryTimeoutSeconds,
                            std::optional<std::chrono::milliseconds> cancelAfter, bool drain) {
    OdbcResult result;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt))) {
        collect(SQL_HANDLE_DBC, dbc_, result.messages);
        return result;
    }
    if (queryTimeoutSeconds > 0)
        SQLSetStmtAttrW(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds)), 0);

    std::vector<std::basic_string<SQLWCHAR>> values;
    std::vector<SQLLEN> lengths(params.size());
    for (const std::string& p : params) values.push_back(wide(p));
    for (std::size_t i = 0; i < values.size(); ++i) {
        lengths[i] = static_cast<SQLLEN>(values[i].size() * sizeof(SQLWCHAR));
        SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                         std::max<SQLULEN>(1, values[i].size()), 0, values[i].data(), lengths[i], &lengths[i]);
    }

    std::thread canceller;
    if (cancelAfter) {
        canceller = std::thread([stmt, delay = *cancelAfter] {
            std::this_thread::sleep_for(delay);
            SQLCancel(stmt);
        });
    }
    auto text = wide(sql);
    result.rc = SQLExecDirectW(stmt, text.data(), static_cast<SQLINTEGER>(text.size()));
    if (canceller.joinable()) canceller.join();
    collect(SQL_HANDLE_STMT, stmt, result.messages);

    SQLRETURN rc = result.rc;
    bool first = true;
    for (int guard = 0; guard < 1000 && (succeeded(rc) || rc == SQL_ERROR) && result.rc != SQL_ERROR; ++guard) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        if (first) {
            for (SQLSMALLINT c = 1; c <= columns; ++c) {
                SQLWCHAR name[256] = {};
                SQLSMALLINT nameLength = 0;
                SQLDescribeColW(stmt, static_cast<SQLUSMALLINT>(c), name, 256, &nameLength, nullptr, nullptr, nullptr, nullptr);
                result.columns.push_back(narrow(name, static_cast<std::size_t>(nameLength)));
            }
        }
        first = false;
        while (columns > 0 && succeeded(SQLFetch(stmt))) {
            std::vector<std::optional<std::string>> row;
            for (SQLSMALLINT c = 1; c <= columns; ++c) {
                std::basic_string<SQLWCHAR> value;
                SQLWCHAR buffer[1024];
                SQLLEN indicator = 0;
                SQLRETURN got;
                bool isNull = false;
                while (succeeded(got = SQLGetData(stmt, static_cast<SQLUSMALLINT>(c), SQL_C_WCHAR, buffer, sizeof buffer, &indicator))) {
                    if (indicator == SQL_NULL_DATA) {
                        isNull = true;
                        break;
                    }
                    const std::size_t units = (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer))
                                                  ? sizeof buffer / sizeof(SQLWCHAR) - 1
                                                  : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
                    value.append(buffer, units);
                    if (got == SQL_SUCCESS) break;
                }
                row.push_back(isNull ? std::nullopt : std::optional<std::string>(narrow(value.data(), value.size())));
            }
            result.rows.push_back(std::move(row));
        }
        if (!drain) break;
        rc = SQLMoreResults(stmt);
        if (rc != SQL_NO_DATA) collect(SQL_HANDLE_STMT, stmt, result.messages);
        if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE) break;
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return result;
}
