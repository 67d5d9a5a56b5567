#pragma once

#include <string>

// The statements the program sends to the server.
namespace ServerStatements {

// Whether a database of that name exists: a row comes back when it does.
std::string existenceQuery(const std::string& database);

// backup database [NAME] to disk=N'PATH': the name and the path quoted, so
// that no name or path can end the statement early.
std::string backupStatement(const std::string& database, const std::string& path);

} // namespace ServerStatements
