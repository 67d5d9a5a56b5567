#pragma once

#include "sql_value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sqlstandin {

enum class ColumnType { NVarChar, TinyInt, SmallInt, Int, DateTime, VarBinary };

struct Column {
    std::string name;
    ColumnType type = ColumnType::Int;
    std::uint16_t maxLength = 0;   // characters for NVarChar, bytes for VarBinary
    bool nullable = false;
};

// Integers in a DateTime column hold milliseconds since the Unix epoch.
struct ResultSet {
    std::vector<Column> columns;
    std::vector<std::vector<SqlValue>> rows;
};

}  // namespace sqlstandin
