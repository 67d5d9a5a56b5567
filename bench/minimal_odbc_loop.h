#pragma once

#include <sql.h>

#include <string>
#include <vector>

// The yardstick of the backup benchmarks: the ODBC calls a run needs and
// nothing around them, every text converted to UTF-16 before the first call.
class MinimalOdbcLoop final {
public:
    // connectionString: exactly what the driver is to receive.
    explicit MinimalOdbcLoop(const std::string& connectionString);
    ~MinimalOdbcLoop();
    MinimalOdbcLoop(const MinimalOdbcLoop&) = delete;
    MinimalOdbcLoop& operator=(const MinimalOdbcLoop&) = delete;

    // For each statement: connect, execute, read every result, disconnect.
    void backUpEach(const std::vector<std::string>& statements);
    // One connection; for each statement: execute, fetch the first row, read
    // the rest. Returns how many statements returned a row.
    std::size_t queryEach(const std::vector<std::string>& statements);

private:
    SQLHDBC connect();
    static void drain(SQLHSTMT statement);

    SQLHENV m_environment = SQL_NULL_HENV;
    std::vector<SQLWCHAR> m_connectionString;
};
