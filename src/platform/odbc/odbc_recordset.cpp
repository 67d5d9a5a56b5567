#include "platform/odbc/odbc_recordset.h"

#include <stdexcept>

#include "platform/odbc/odbc_connection.h"

// The keyset and optimistic arguments are accepted and read forward-only,
// read-only: only whether a row came back is ever asked.
void OdbcRecordset::Open(const std::string& query, Connection& activeConnection)
{
    if (m_statement)
        throw std::logic_error("the recordset is already open");
    auto* connection = dynamic_cast<OdbcConnection*>(&activeConnection);
    if (!connection)
        throw std::invalid_argument("the recordset needs an ODBC connection");

    auto statement = std::make_unique<OdbcStatement>(connection->handle());
    statement->execute(query);
    const bool row = !statement->failed() && statement->toRowSet() && statement->fetch();
    if (statement->failed()) {
        statement->drain();
        statement->throwIfFailed();
    }
    m_eof = !row;
    m_statement = std::move(statement);
}

void OdbcRecordset::Close()
{
    if (!m_statement)
        return;
    auto statement = std::move(m_statement);
    m_eof = true;
    // Reads the rest so that the connection is free for the next statement.
    statement->drain();
    statement->throwIfFailed();
}
