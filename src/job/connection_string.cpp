#include "job/connection_string.h"

#include "job/quoting.h"

namespace ConnectionString {

std::string attributeValue(const std::string& value)
{
    const bool needsBraces = value.find_first_of(";{}") != std::string::npos
        || (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsBraces)
        return value;
    return "{" + doubled(value, '}') + "}";
}

std::string build(const std::string& server, const std::string& database, const std::string& user,
                  const std::string& password)
{
    return "Driver={SQL Server};Server=" + attributeValue(server) + ";Database=" + attributeValue(database)
        + ";uid=" + attributeValue(user) + ";pwd=" + attributeValue(password) + ";";
}

} // namespace ConnectionString
