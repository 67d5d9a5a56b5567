#include "platform/odbc/odbc_data_access.h"

#include <sqlext.h>

#include <cstdint>

#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_recordset.h"

OdbcDataAccess::OdbcDataAccess(LinkTimeouts timeouts)
    : m_environment(std::make_shared<EnvironmentHandle>(SQL_HANDLE_ENV, nullptr, OdbcPhase::Connect))
    , m_timeouts(timeouts)
{
    const auto version = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3));
    if (!SQL_SUCCEEDED(::SQLSetEnvAttr(m_environment->get(), SQL_ATTR_ODBC_VERSION, version, 0)))
        throw OdbcErrorMapping::toDatabaseError(OdbcPhase::Connect, m_environment->diagnostics());
}

std::unique_ptr<Connection> OdbcDataAccess::createConnection()
{
    return std::make_unique<OdbcConnection>(m_environment, m_timeouts);
}

std::unique_ptr<Recordset> OdbcDataAccess::createRecordset()
{
    return std::make_unique<OdbcRecordset>();
}
