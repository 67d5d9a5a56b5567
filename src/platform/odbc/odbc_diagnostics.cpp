#include "platform/odbc/odbc_diagnostics.h"

#include <sqlext.h>

#include "platform/odbc/sql_text.h"

std::vector<DiagnosticRecord> diagnosticsOf(SQLSMALLINT handleType, SQLHANDLE handle)
{
    std::vector<DiagnosticRecord> records;
    for (SQLSMALLINT number = 1;; ++number) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> message(SQL_MAX_MESSAGE_LENGTH + 1);
        SQLSMALLINT length = 0;
        SQLRETURN rc = ::SQLGetDiagRecW(handleType, handle, number, state, &native, message.data(),
                                        static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<std::size_t>(length) + 1);
            rc = ::SQLGetDiagRecW(handleType, handle, number, state, &native, message.data(),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        const auto textLength =
            std::min(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), message.size() - 1);
        records.push_back(
            {SqlText::utf8(state, 5), static_cast<long>(native), SqlText::utf8(message.data(), textLength)});
    }
    return records;
}
