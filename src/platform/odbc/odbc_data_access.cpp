#include "platform/odbc/odbc_data_access.h"

#include <sqlext.h>

#include <cstdint>

#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_recordset.h"

OdbcDataAccess::OdbcDataAccess(LinkTimeouts timeouts) : m_timeouts(timeouts) {}

std::shared_ptr<EnvironmentHandle> OdbcDataAccess::environment()
{
    if (m_environment)
        return m_environment;
    auto environment = std::make_shared<EnvironmentHandle>(SQL_HANDLE_ENV, nullptr, OdbcPhase::Connect);
    const auto version = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3));
    if (!SQL_SUCCEEDED(::SQLSetEnvAttr(environment->get(), SQL_ATTR_ODBC_VERSION, version, 0)))
        throw OdbcErrorMapping::toDatabaseError(OdbcPhase::Connect, environment->diagnostics());
    m_environment = std::move(environment);
    return m_environment;
}

std::unique_ptr<Connection> OdbcDataAccess::createConnection()
{
    return std::make_unique<OdbcConnection>(environment(), m_timeouts);
}

std::unique_ptr<Recordset> OdbcDataAccess::createRecordset()
{
    return std::make_unique<OdbcRecordset>();
}
