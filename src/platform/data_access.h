#pragma once

#include <memory>
#include <string>

#include "platform/database_error.h"
#include "platform/server_login.h"

// The one road to the server: a connection and a forward reader of query
// results. Every failure is thrown as DatabaseError.
class Connection {
public:
    virtual ~Connection() = default;
    // Connects through the driver named "SQL Server"; the data access alone
    // writes the connection string, from the login.
    virtual void Open(const ServerLogin& login) = 0;
    // Runs the statement to its end: every result and message is read, and an
    // error in any of them fails the call. The results are discarded.
    virtual void Execute(const std::string& statement) = 0;
    virtual void Close() = 0;
    virtual bool isOpen() const = 0;
};

class Recordset {
public:
    virtual ~Recordset() = default;
    // Runs the query over the open connection.
    virtual void Open(const std::string& query, Connection& activeConnection) = 0;
    // True when the query returned no row.
    virtual bool Eof() const = 0;
    virtual void Close() = 0;
};

class DataAccess {
public:
    virtual ~DataAccess() = default;
    virtual std::unique_ptr<Connection> createConnection() = 0;
    virtual std::unique_ptr<Recordset> createRecordset() = 0;
};
