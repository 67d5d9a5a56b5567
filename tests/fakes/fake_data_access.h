#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/data_access.h"

// An in-process stand-in for the server, for tests of the window's logic
// only; everything that talks to a server is also tested over ODBC.
class FakeDataAccess final : public DataAccess {
public:
    struct Event {
        std::string kind; // "open", "execute", "close", "query"
        std::string text;
    };

    std::unique_ptr<Connection> createConnection() override;
    std::unique_ptr<Recordset> createRecordset() override;

    // The databases the fake server has (for the existence query).
    std::set<std::string> databases;
    // Fails the next Open, or every Open while set.
    std::optional<std::int32_t> openFailure;
    // Fails an Execute whose statement the predicate picks.
    std::function<std::optional<std::int32_t>(const std::string&)> executeFailure;
    // Whether a successful backup statement writes (appends to) its file, as
    // a server on this machine would.
    bool writeBackupFiles = true;
    // Runs during each Execute (the clock may move meanwhile).
    std::function<void(const std::string&)> duringExecute;

    std::vector<Event> events;
    std::vector<std::string> statements() const;
    int openConnections = 0;
};
