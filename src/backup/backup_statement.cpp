#include "backup/backup_statement.h"

#include "job/quoting.h"

std::string backupStatement(const std::string& database, const std::string& path)
{
    return "backup database [" + doubled(database, ']') + "] to disk=N'" + doubled(path, '\'') + "'";
}
