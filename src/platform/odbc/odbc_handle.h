#pragma once

#include <sql.h>

#include <utility>

#include "platform/odbc/odbc_diagnostics.h"
#include "platform/odbc/odbc_error_mapping.h"

// Owns one ODBC handle of the given type and frees it when it goes.
template <SQLSMALLINT Type>
class OdbcHandle final {
public:
    // A handle under its parent (SQL_NULL_HANDLE for an environment); a
    // refusal is reported with the parent's diagnostics.
    OdbcHandle(SQLSMALLINT parentType, SQLHANDLE parent, OdbcPhase phase)
    {
        if (!SQL_SUCCEEDED(::SQLAllocHandle(Type, parent, &m_handle))) {
            m_handle = nullptr;
            if (parent == nullptr)
                throw DatabaseError(DatabaseError::kFail, "HY001", 0, "the ODBC driver manager cannot start");
            throw OdbcErrorMapping::toDatabaseError(phase, diagnosticsOf(parentType, parent));
        }
    }
    ~OdbcHandle()
    {
        if (m_handle != nullptr)
            ::SQLFreeHandle(Type, m_handle);
    }
    OdbcHandle(OdbcHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    std::vector<DiagnosticRecord> diagnostics() const { return diagnosticsOf(Type, m_handle); }

private:
    SQLHANDLE m_handle = nullptr;
};

using EnvironmentHandle = OdbcHandle<SQL_HANDLE_ENV>;
using ConnectionHandle = OdbcHandle<SQL_HANDLE_DBC>;
using StatementHandle = OdbcHandle<SQL_HANDLE_STMT>;
