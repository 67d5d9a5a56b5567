#pragma once

#include <sql.h>

#include <cstddef>
#include <string>
#include <vector>

// Text crossing the wide ODBC functions: UTF-8 in the program, UTF-16 in
// SQLWCHAR on the ODBC side. The wide functions keep Chinese text intact
// whatever the process locale; the narrow ones turn it into "?" under C.
namespace SqlText {

// Throws std::invalid_argument for bytes that are not UTF-8: a statement or
// a password must never reach the server altered.
std::vector<SQLWCHAR> wide(const std::string& utf8);

// What the driver or the server said; a broken surrogate becomes U+FFFD.
std::string utf8(const SQLWCHAR* text, std::size_t length);

} // namespace SqlText
