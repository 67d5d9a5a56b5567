#pragma once

#include <string>
#include <vector>

#include "platform/odbc/connection_attribute.h"

namespace ConnectionAttributes {

// Reads a connection string as the ODBC standard and unixODBC's driver
// manager do: a braced value runs to the first "}" not followed by another,
// and "}}" inside it stands for "}"; anything else runs to the next ";".
std::vector<ConnectionAttribute> parse(const std::string& text);

} // namespace ConnectionAttributes
