#pragma once

#include "server_message.h"

#include <cstdint>
#include <string>
#include <string_view>

// The server's own numbers, severities and texts for what the stand-in says.
namespace sqlstandin::messages {

ServerMessage syntaxNear(std::string_view near, int line);
ServerMessage identifierTooLong(std::string_view identifier, int line);
ServerMessage unclosedQuote(std::string_view rest, int line);
ServerMessage missingEndComment(int line);
ServerMessage mustDeclareVariable(std::string_view name, int line);
ServerMessage invalidColumn(std::string_view name, int line);
ServerMessage invalidObject(std::string_view name, int line);
ServerMessage procedureNotFound(std::string_view name);

ServerMessage loginFailed(std::string_view user);
ServerMessage cannotOpenDatabase(std::string_view database);
ServerMessage changedDatabase(std::string_view database);
ServerMessage changedLanguage(std::string_view language);
ServerMessage databaseDoesNotExist(std::string_view database, int line);

ServerMessage backupTerminating(int line);
ServerMessage cannotOpenBackupDevice(std::string_view path, int osError, int line);
ServerMessage writeFailed(std::string_view path, int osError, int line);
ServerMessage mediaIncorrectlyFormed(std::string_view path, int line);
ServerMessage backupInTransaction(int line);
ServerMessage backupNotAllowed(std::string_view database, int line);
ServerMessage processedPages(std::uint64_t pages, std::string_view database, std::string_view file, int setNumber, int line);
ServerMessage backupSucceeded(std::uint64_t pages, double seconds, int line);
ServerMessage percentProcessed(int percent, int line);

ServerMessage commitWithoutBegin();
ServerMessage rollbackWithoutBegin();
ServerMessage notEmulated(std::string_view what);

// Windows error codes the server quotes for file system failures, e.g.
// "3(The system cannot find the path specified.)".
int osErrorFromErrno(int error);
std::string osErrorText(int osError);

}  // namespace sqlstandin::messages
