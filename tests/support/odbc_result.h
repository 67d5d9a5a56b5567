#pragma once

// ODBC's headers on Windows need windows.h before them (sqltypes.h uses HWND).
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>

#include <optional>
#include <string>
#include <vector>

struct OdbcMessage {
    std::string state;
    int native = 0;
    std::string text;
};

struct OdbcResult {
    SQLRETURN rc = SQL_ERROR;   // of the connect or execute call itself
    std::vector<std::string> columns;                          // of the first result set
    std::vector<std::vector<std::optional<std::string>>> rows; // of every result set
    std::vector<OdbcMessage> messages;                         // from every result

    bool ok() const { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }
    std::vector<int> natives() const;
    bool hasState(const std::string& state) const;
    std::string describe() const;   // for failure output
};
