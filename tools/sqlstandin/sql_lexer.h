#pragma once

#include "sql_token.h"

#include <string_view>
#include <vector>

namespace sqlstandin {

// Splits T-SQL into tokens. Unclosed quotes and comments and over-long
// identifiers are reported with the server's messages (SqlError).
class SqlLexer final {
public:
    static std::vector<SqlToken> tokenize(std::string_view sql);
};

}  // namespace sqlstandin
