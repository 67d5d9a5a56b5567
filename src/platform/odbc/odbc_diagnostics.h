#pragma once

#include <sql.h>

#include <vector>

#include "platform/odbc/diagnostic_record.h"

// Every diagnostic record the handle holds, in order.
std::vector<DiagnosticRecord> diagnosticsOf(SQLSMALLINT handleType, SQLHANDLE handle);
