#pragma once

#include <string>

// The connection string every server method connects with:
// "Driver={SQL Server};Server=...;Database=master;uid=...;pwd=...;".
namespace ConnectionString {

// A field as it goes into the string: exactly as typed, unless it holds
// ";", "{" or "}" or starts or ends with a blank; then it is braced, with
// "}" doubled, so that it cannot end early or add attributes of its own.
std::string attributeValue(const std::string& value);

std::string build(const std::string& server, const std::string& database, const std::string& user,
                  const std::string& password);

} // namespace ConnectionString
