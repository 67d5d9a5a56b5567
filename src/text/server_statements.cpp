#include "text/server_statements.h"

#include "text/quoting.h"

namespace ServerStatements {

std::string existenceQuery(const std::string& database)
{
    return "Select * From master.dbo.sysdatabases Where name = " + Quoting::unicodeLiteral(database);
}

std::string backupStatement(const std::string& database, const std::string& path)
{
    return "backup database " + Quoting::identifier(database) + " to disk=" + Quoting::unicodeLiteral(path);
}

} // namespace ServerStatements
