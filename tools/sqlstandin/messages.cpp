#include "messages.h"

#include <cerrno>
#include <cstdio>
#include <utility>

namespace sqlstandin::messages {
namespace {

ServerMessage make(std::int32_t number, std::uint8_t severity, std::uint8_t state, std::string text, int line = 1) {
    ServerMessage m;
    m.number = number;
    m.severity = severity;
    m.state = state;
    m.text = std::move(text);
    m.line = line;
    return m;
}

std::string quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

}  // namespace

ServerMessage syntaxNear(std::string_view near, int line) {
    return make(102, 15, 1, "Incorrect syntax near " + quoted(near) + ".", line);
}

ServerMessage identifierTooLong(std::string_view identifier, int line) {
    return make(103, 15, 4,
                "The identifier that starts with " + quoted(identifier) + " is too long. Maximum length is 128.", line);
}

ServerMessage unclosedQuote(std::string_view rest, int line) {
    return make(105, 15, 1, "Unclosed quotation mark after the character string " + quoted(rest) + ".", line);
}

ServerMessage missingEndComment(int line) { return make(113, 15, 1, "Missing end comment mark '*/'.", line); }

ServerMessage mustDeclareVariable(std::string_view name, int line) {
    return make(137, 15, 2, "Must declare the scalar variable \"" + std::string(name) + "\".", line);
}

ServerMessage invalidColumn(std::string_view name, int line) {
    return make(207, 16, 1, "Invalid column name " + quoted(name) + ".", line);
}

ServerMessage invalidObject(std::string_view name, int line) {
    return make(208, 16, 1, "Invalid object name " + quoted(name) + ".", line);
}

ServerMessage procedureNotFound(std::string_view name) {
    return make(2812, 16, 62, "Could not find stored procedure " + quoted(name) + ".");
}

ServerMessage loginFailed(std::string_view user) {
    return make(18456, 14, 1, "Login failed for user " + quoted(user) + ".");
}

ServerMessage cannotOpenDatabase(std::string_view database) {
    return make(4060, 11, 1, "Cannot open database \"" + std::string(database) + "\" requested by the login. The login failed.");
}

ServerMessage changedDatabase(std::string_view database) {
    return make(5701, 0, 2, "Changed database context to " + quoted(database) + ".");
}

ServerMessage changedLanguage(std::string_view language) {
    return make(5703, 0, 1, "Changed language setting to " + std::string(language) + ".");
}

ServerMessage databaseDoesNotExist(std::string_view database, int line) {
    return make(911, 16, 1,
                "Database " + quoted(database) + " does not exist. Make sure that the name is entered correctly.", line);
}

ServerMessage backupTerminating(int line) { return make(3013, 16, 1, "BACKUP DATABASE is terminating abnormally.", line); }

ServerMessage cannotOpenBackupDevice(std::string_view path, int osError, int line) {
    return make(3201, 16, 1,
                "Cannot open backup device " + quoted(path) + ". Operating system error " + osErrorText(osError) + ".", line);
}

ServerMessage writeFailed(std::string_view path, int osError, int line) {
    return make(3202, 16, 1, "Write on \"" + std::string(path) + "\" failed: " + osErrorText(osError), line);
}

ServerMessage mediaIncorrectlyFormed(std::string_view path, int line) {
    return make(3241, 16, 0,
                "The media family on device " + quoted(path) +
                    " is incorrectly formed. SQL Server cannot process this media family.",
                line);
}

ServerMessage backupInTransaction(int line) {
    return make(3021, 16, 0, "Cannot perform a backup or restore operation within a transaction.", line);
}

ServerMessage backupNotAllowed(std::string_view database, int line) {
    return make(3147, 16, 3, "Backup and restore operations are not allowed on database " + std::string(database) + ".",
                line);
}

ServerMessage processedPages(std::uint64_t pages, std::string_view database, std::string_view file, int setNumber,
                             int line) {
    return make(4035, 0, 1,
                "Processed " + std::to_string(pages) + " pages for database " + quoted(database) + ", file " +
                    quoted(file) + " on file " + std::to_string(setNumber) + ".",
                line);
}

ServerMessage backupSucceeded(std::uint64_t pages, double seconds, int line) {
    const double megabytes = static_cast<double>(pages) * 8192.0 / 1048576.0;
    const double rate = seconds > 0 ? megabytes / seconds : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, "BACKUP DATABASE successfully processed %llu pages in %.3f seconds (%.3f MB/sec).",
                  static_cast<unsigned long long>(pages), seconds, rate);
    return make(3014, 0, 1, text, line);
}

ServerMessage percentProcessed(int percent, int line) {
    return make(3211, 0, 1, std::to_string(percent) + " percent processed.", line);
}

ServerMessage commitWithoutBegin() {
    return make(3902, 16, 1, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
}

ServerMessage rollbackWithoutBegin() {
    return make(3903, 16, 1, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
}

ServerMessage notEmulated(std::string_view what) {
    return make(50000, 16, 1, "The SQL Server stand-in does not emulate " + std::string(what) + ".");
}

int osErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return 3;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 112;
    case ENAMETOOLONG: return 206;
    default: return 31;
    }
}

std::string osErrorText(int osError) {
    const char* text = "A device attached to the system is not functioning.";
    switch (osError) {
    case 2: text = "The system cannot find the file specified."; break;
    case 3: text = "The system cannot find the path specified."; break;
    case 5: text = "Access is denied."; break;
    case 32: text = "The process cannot access the file because it is being used by another process."; break;
    case 53: text = "The network path was not found."; break;
    case 112: text = "There is not enough space on the disk."; break;
    case 123: text = "The filename, directory name, or volume label syntax is incorrect."; break;
    case 206: text = "The filename or extension is too long."; break;
    default: break;
    }
    return std::to_string(osError) + "(" + text + ")";
}

}  // namespace sqlstandin::messages
