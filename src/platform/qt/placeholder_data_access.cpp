#include "platform/qt/placeholder_data_access.h"

// TEMPORARY: see the header.

namespace {

DatabaseError unreachable()
{
    return DatabaseError(DatabaseError::kFail, "08001", 0, "no data access built in yet");
}

} // namespace

std::unique_ptr<Connection> PlaceholderDataAccess::createConnection()
{
    throw unreachable();
}

std::unique_ptr<Recordset> PlaceholderDataAccess::createRecordset()
{
    throw unreachable();
}
