#pragma once

// TEMPORARY: stands in until the ODBC data access (OdbcDataAccess) is merged;
// main.cpp then uses that instead and this file goes.

#include <memory>

#include "platform/data_access.h"

// Every connection fails as a server that cannot be reached does.
class PlaceholderDataAccess final : public DataAccess {
public:
    std::unique_ptr<Connection> createConnection() override;
    std::unique_ptr<Recordset> createRecordset() override;
};
