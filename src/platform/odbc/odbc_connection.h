#pragma once

#include <sql.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/data_access.h"
#include "platform/odbc/link_timeouts.h"
#include "platform/odbc/odbc_handle.h"

// A connection through the driver manager to the driver named "SQL Server",
// with the connection string written for what that driver reads.
class OdbcConnection final : public Connection {
public:
    OdbcConnection(std::shared_ptr<EnvironmentHandle> environment, LinkTimeouts timeouts);
    ~OdbcConnection() override;

    void Open(const ServerLogin& login) override;
    void Execute(const std::string& statement) override;
    void Close() override;
    bool isOpen() const override { return m_handle.has_value(); }

    // The open connection's handle, for the statements of a recordset.
    SQLHDBC handle() const;

private:
    std::shared_ptr<EnvironmentHandle> m_environment;
    LinkTimeouts m_timeouts;
    std::optional<ConnectionHandle> m_handle;
};
