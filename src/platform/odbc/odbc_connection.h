#pragma once

#include <sql.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/data_access.h"
#include "platform/odbc/link_timeouts.h"
#include "platform/odbc/odbc_handle.h"

// A connection through the driver manager to the driver the connection
// string names, with the string adapted to what that driver reads.
class OdbcConnection final : public Connection {
public:
    OdbcConnection(std::shared_ptr<EnvironmentHandle> environment, LinkTimeouts timeouts);
    ~OdbcConnection() override;

    void Open(const std::string& connectionString, const std::string& user, const std::string& password,
              long options) override;
    void Execute(const std::string& statement, long options) override;
    void Close() override;
    bool isOpen() const override { return m_handle.has_value(); }

    // The open connection's handle, for the statements of a recordset.
    SQLHDBC handle() const;

private:
    std::shared_ptr<EnvironmentHandle> m_environment;
    LinkTimeouts m_timeouts;
    std::optional<ConnectionHandle> m_handle;
};
