#pragma once

#include <windows.h>

// ODBC's headers need windows.h first.
#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>
#include <vector>

// A connection through Windows' odbc32 with the wide (W) functions, as the
// Windows edition talks to the server; each call's rows and diagnostic
// records are collected into plain values (UTF-8) for assertions.
namespace ondrel::win32test {

struct OdbcDiagnostic {
    std::string state;
    int native = 0;
    std::string text;
};

struct OdbcOutcome {
    SQLRETURN rc = SQL_ERROR;
    std::vector<std::vector<std::optional<std::string>>> rows; // of every result set
    std::vector<OdbcDiagnostic> diagnostics;                   // of every result

    bool ok() const { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }
    std::vector<int> natives() const;
    std::string describe() const; // for failure output
};

class OdbcClient final {
public:
    OdbcClient();
    ~OdbcClient();
    OdbcClient(const OdbcClient&) = delete;
    OdbcClient& operator=(const OdbcClient&) = delete;

    OdbcOutcome connect(const std::wstring& connectionString);
    // Executes one statement and reads every result to the end.
    OdbcOutcome execute(const std::wstring& sql);

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
};

} // namespace ondrel::win32test
