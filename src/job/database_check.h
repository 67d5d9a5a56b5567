#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include "platform/server_login.h"

class DataAccess;

// What a database check tells whoever started it.
class DatabaseCheckReport {
public:
    virtual ~DatabaseCheckReport() = default;
    // A list entry holds a NUL: nothing was sent.
    virtual void entryRefused(std::size_t position, const std::string& entry) = 0;
    // The server has no database of that name; the check goes on.
    virtual void missing(const std::string& entry) = 0;
    // Connecting or a query failed; the check ends here.
    virtual void failed(const std::exception& error) = 0;
};

// Looks every listed database up in the server's master.dbo.sysdatabases,
// over one connection, in list order.
class DatabaseCheck final {
public:
    explicit DatabaseCheck(DataAccess& dataAccess) : m_dataAccess(dataAccess) {}

    // The number of entries found after the last missing one (all of them
    // when none is missing): the list's length exactly when every entry was
    // found. A check that failed found fewer.
    std::size_t run(const ServerLogin& login, const std::vector<std::string>& databases, DatabaseCheckReport& report);

private:
    DataAccess& m_dataAccess;
};
