#pragma once

#include <vector>

#include "platform/database_error.h"
#include "platform/odbc/diagnostic_record.h"
#include "platform/odbc/odbc_phase.h"

namespace OdbcErrorMapping {

// The failure the operator is told about, decided by the phase and the
// native numbers first and by SQLSTATE second: FreeTDS reports a rejected
// login as 42000/18456 and a missing database in BACKUP as 08004/911, so
// SQLSTATE alone would mislead. The message keeps every record's text.
DatabaseError toDatabaseError(OdbcPhase phase, const std::vector<DiagnosticRecord>& records);

} // namespace OdbcErrorMapping
