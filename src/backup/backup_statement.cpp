#include "backup/backup_statement.h"

namespace {

std::string doubled(const std::string& text, char quote)
{
    std::string result;
    result.reserve(text.size() + 2);
    for (char c : text) {
        result += c;
        if (c == quote)
            result += quote;
    }
    return result;
}

} // namespace

std::string backupStatement(const std::string& database, const std::string& path)
{
    return "backup database [" + doubled(database, ']') + "] to disk=N'" + doubled(path, '\'') + "'";
}
