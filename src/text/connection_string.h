#pragma once

#include <optional>
#include <string>
#include <vector>

// The connection string every server method connects with,
// "Driver={SQL Server};Server=...;Database=master;uid=...;pwd=...;", and
// the reading of such a string as the driver manager reads it.
namespace ConnectionString {

// A field as it goes into the string: exactly as typed, unless it holds
// ";", "{" or "}" or starts or ends with a blank; then it is braced, with
// "}" doubled, so that it cannot end early or add attributes of its own.
std::string attributeValue(const std::string& value);

std::string build(const std::string& server, const std::string& database, const std::string& user,
                  const std::string& password);

// One keyword=value pair of a connection string.
struct Attribute {
    std::string keyword;
    // Decoded: braces removed, "}}" undoubled.
    std::string value;
    // As it stands in the string, braces and all.
    std::string written;
};

// Reads a connection string as the ODBC standard and unixODBC's driver
// manager do: a braced value runs to the first "}" not followed by another,
// and "}}" inside it stands for "}"; anything else runs to the next ";".
std::vector<Attribute> attributes(const std::string& text);

// The decoded value of the first attribute of that keyword (compared
// without regard to letter case), if there is one.
std::optional<std::string> attribute(const std::string& text, const std::string& keyword);

} // namespace ConnectionString
