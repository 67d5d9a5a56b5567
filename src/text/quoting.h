#pragma once

#include <string>

// The quoting of everything the program puts into a statement or a
// connection string: each kind of quote is escaped by doubling it.
namespace Quoting {

// Every occurrence of the quote character doubled: "]" in an identifier,
// "'" in a string literal, "}" in a braced connection value.
std::string doubled(const std::string& text, char quote);

// [NAME], with "]" doubled: a name that no text can end early.
std::string identifier(const std::string& name);

// N'TEXT', with "'" doubled: a Unicode literal, so Chinese text reaches a
// server of any collation intact.
std::string unicodeLiteral(const std::string& text);

} // namespace Quoting
