#pragma once

#include <memory>

#include "platform/data_access.h"
#include "platform/odbc/link_timeouts.h"
#include "platform/odbc/odbc_handle.h"

// The data-access component over unixODBC: one ODBC environment for the
// program, opened with the first connection (a program that waits hours
// for its first slot carries no driver manager's state meanwhile, and an
// environment that cannot be had is that connection's error), a connection
// and its statements for each run of a method.
class OdbcDataAccess final : public DataAccess {
public:
    explicit OdbcDataAccess(LinkTimeouts timeouts = {});

    std::unique_ptr<Connection> createConnection() override;
    std::unique_ptr<Recordset> createRecordset() override;

private:
    std::shared_ptr<EnvironmentHandle> environment();

    std::shared_ptr<EnvironmentHandle> m_environment;
    LinkTimeouts m_timeouts;
};
