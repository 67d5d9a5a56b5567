#pragma once

#include <string>

// backup database [NAME] to disk=N'PATH', with "]" doubled in the name and
// "'" doubled in the path, so that no name or path can end the statement
// early; N'' keeps a Chinese path intact on a server of any collation.
std::string backupStatement(const std::string& database, const std::string& path);
