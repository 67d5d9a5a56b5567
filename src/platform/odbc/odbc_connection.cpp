#include "platform/odbc/odbc_connection.h"

#include <sqlext.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "platform/odbc/driver_connection_string.h"
#include "platform/odbc/driver_kind.h"
#include "platform/odbc/driver_library.h"
#include "platform/odbc/driver_link_watch.h"
#include "platform/odbc/odbc_statement.h"
#include "platform/odbc/sql_text.h"

OdbcConnection::OdbcConnection(std::shared_ptr<EnvironmentHandle> environment, LinkTimeouts timeouts)
    : m_environment(std::move(environment))
    , m_timeouts(timeouts)
{
}

OdbcConnection::~OdbcConnection()
{
    Close();
}

void OdbcConnection::Open(const ServerLogin& login)
{
    if (isOpen())
        throw std::logic_error("the connection is already open");
    const std::string forDriver = DriverConnectionString::forDriver(
        login, driverKindOfLibrary(driverLibraryFile(DriverConnectionString::kDriverName)));
    std::vector<SQLWCHAR> wide = SqlText::wide(forDriver);
    if (wide.size() > static_cast<std::size_t>(std::numeric_limits<SQLSMALLINT>::max()))
        throw DatabaseError(DatabaseError::kFail, "HY090", 0, "the connection string is too long");

    ConnectionHandle handle(SQL_HANDLE_ENV, m_environment->get(), OdbcPhase::Connect);
    // The driver's own time-out starts afresh at each stage of the login;
    // the watch bounds the whole of it, whatever the driver does.
    const auto timeout = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(m_timeouts.connect.count()));
    if (!SQL_SUCCEEDED(::SQLSetConnectAttrW(handle.get(), SQL_ATTR_LOGIN_TIMEOUT, timeout, 0)))
        throw OdbcErrorMapping::toDatabaseError(OdbcPhase::Connect, handle.diagnostics());
    DriverLinkWatch watch(m_timeouts);
    const SQLRETURN rc = ::SQLDriverConnectW(handle.get(), nullptr, wide.data(), static_cast<SQLSMALLINT>(wide.size()),
                                             nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    watch.attemptReturned(SQL_SUCCEEDED(rc));
    if (watch.expired()) {
        if (SQL_SUCCEEDED(rc))
            ::SQLDisconnect(handle.get());
        throw DatabaseError(DatabaseError::kFail, "HYT00", 0,
                            "the server did not complete the login within " + std::to_string(m_timeouts.connect.count())
                                + " s");
    }
    if (!SQL_SUCCEEDED(rc))
        throw OdbcErrorMapping::toDatabaseError(OdbcPhase::Connect, handle.diagnostics());
    m_handle.emplace(std::move(handle));
}

void OdbcConnection::Execute(const std::string& statement)
{
    OdbcStatement running(handle());
    running.execute(statement);
    running.drain();
    running.throwIfFailed();
}

void OdbcConnection::Close()
{
    if (!m_handle)
        return;
    ::SQLDisconnect(m_handle->get());
    m_handle.reset();
}

SQLHDBC OdbcConnection::handle() const
{
    if (!m_handle)
        throw std::logic_error("the connection is not open");
    return m_handle->get();
}
