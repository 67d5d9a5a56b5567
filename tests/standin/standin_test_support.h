#pragma once

#include "odbc_session.h"
#include "standin_server.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Shared by the stand-in's tests: a connection made the way the product
// makes it, through the "SQL Server" driver entry.
inline std::unique_ptr<OdbcSession> connectTo(const StandinServer& server, const std::string& database = {},
                                              const std::string& login = "sa:Secret#1", const std::string& extra = {}) {
    useProjectOdbcDrivers();
    auto session = std::make_unique<OdbcSession>();
    const OdbcResult r = session->connect(standinConnectionString(server, login, database) + extra);
    EXPECT_TRUE(r.ok()) << r.describe();
    return session;
}

inline bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}
