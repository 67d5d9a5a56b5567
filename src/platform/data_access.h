#pragma once

#include <memory>
#include <string>

#include "platform/database_error.h"

// The one road to the server: a connection and a forward reader of query
// results. Every failure is thrown as DatabaseError.
class Connection {
public:
    virtual ~Connection() = default;
    // user and password travel in the connection string; the separate
    // arguments stay empty. options -1: unspecified.
    virtual void Open(const std::string& connectionString, const std::string& user = {},
                      const std::string& password = {}, long options = -1) = 0;
    // Runs the statement to its end: every result and message is read, and an
    // error in any of them fails the call. The results are discarded.
    virtual void Execute(const std::string& statement, long options = -1) = 0;
    virtual void Close() = 0;
    virtual bool isOpen() const = 0;
};

class Recordset {
public:
    static constexpr int adOpenKeyset = 1;
    static constexpr int adLockOptimistic = 3;

    virtual ~Recordset() = default;
    virtual void Open(const std::string& source, Connection& activeConnection, int cursorType, int lockType,
                      long options = -1) = 0;
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
