#pragma once

#include "odbc_result.h"

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A raw ODBC connection using the wide (W) functions, as the product talks
// to the server: through unixODBC and FreeTDS on Linux, through Windows'
// odbc32 under Wine. Texts are UTF-8 on this side; results and every
// diagnostic record are collected into plain values for assertions.

class OdbcSession final {
public:
    OdbcSession();
    ~OdbcSession();
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    OdbcResult connect(const std::string& connectionString, int loginTimeoutSeconds = 10);
    // Parameters go as NVARCHAR (SQL_C_WCHAR), which FreeTDS sends through sp_executesql.
    OdbcResult execute(const std::string& sql, const std::vector<std::string>& params = {},
                       int queryTimeoutSeconds = 0);
    // Executes, then calls SQLCancel from another thread after the delay.
    OdbcResult executeAndCancel(const std::string& sql, std::chrono::milliseconds delay);
    // Executes, reads only the first result, then closes the statement.
    OdbcResult executeFirstResultOnly(const std::string& sql);
    OdbcResult setAutocommit(bool on);
    OdbcResult endTransaction(bool commit);
    void disconnect();
    std::string currentCatalog();

private:
    OdbcResult run(const std::string& sql, const std::vector<std::string>& params, int queryTimeoutSeconds,
                   std::optional<std::chrono::milliseconds> cancelAfter, bool drain);

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
};
