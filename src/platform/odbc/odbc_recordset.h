#pragma once

#include <memory>
#include <string>

#include "platform/data_access.h"
#include "platform/odbc/odbc_statement.h"

// The rows of a query, read forward only.
class OdbcRecordset final : public Recordset {
public:
    void Open(const std::string& query, Connection& activeConnection) override;
    bool Eof() const override { return m_eof; }
    void Close() override;

private:
    std::unique_ptr<OdbcStatement> m_statement;
    bool m_eof = true;
};
