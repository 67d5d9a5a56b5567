#pragma once

#include <sql.h>

#include <string>
#include <vector>

#include "platform/odbc/diagnostic_record.h"
#include "platform/odbc/odbc_handle.h"

// One statement on an open connection: forward-only and read-only (other
// cursors make FreeTDS open server cursors, sp_cursoropen..., which nothing
// here needs) and no command time-out, so a long backup is never cut off.
// Errors are gathered while the results are read, then thrown together.
class OdbcStatement final {
public:
    explicit OdbcStatement(SQLHDBC connection);

    void execute(const std::string& text);
    // Moves on to the first result that has columns; false when none has.
    bool toRowSet();
    // Reads the next row of the current result; false past the last.
    bool fetch();
    // Reads every remaining result and message to the end of the batch.
    void drain();
    bool failed() const { return !m_errors.empty(); }
    // Throws what the server or the driver reported, if anything failed.
    void throwIfFailed() const;

private:
    // Keeps the diagnostics of a failed call; false when it failed.
    bool succeeded(SQLRETURN rc);
    bool linkLost() const;

    SQLHDBC m_connection;
    StatementHandle m_handle;
    std::vector<DiagnosticRecord> m_errors;
};
