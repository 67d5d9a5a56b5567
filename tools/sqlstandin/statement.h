#pragma once

#include "sql_value.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace sqlstandin {

// A literal or a variable (a bound parameter of sp_executesql).
struct Operand {
    SqlValue literal;
    std::string variable;   // "@P1" when the operand is a variable
    bool isVariable() const { return !variable.empty(); }
};

struct SetStatement {
    std::vector<std::string> words;   // as written, e.g. {"NOCOUNT", "ON"}
    int line = 1;
};

struct UseStatement {
    std::string database;
    int line = 1;
};

struct SelectItem {
    enum class Kind { Star, Column, Constant, CountStar, ServerVariable };
    Kind kind = Kind::Constant;
    std::string name;        // column or @@variable
    Operand constant;
    std::string alias;
};

struct SelectStatement {
    std::vector<SelectItem> items;
    std::optional<std::vector<std::string>> from;   // name parts as written
    std::optional<std::string> whereColumn;
    Operand whereValue;
    std::optional<std::string> orderColumn;
    bool descending = false;
    int line = 1;
};

struct BackupStatement {
    Operand database;
    Operand path;
    bool overwrite = false;   // WITH INIT or FORMAT
    int stats = 0;            // WITH STATS = n: percent step of progress messages
    int line = 1;
};

// EXEC sp_executesql N'...', N'@P1 ...', @P1 = ...: parameterised SQL from
// clients that cannot bind parameters themselves.
struct ExecStatement {
    struct Argument {
        std::string name;   // "@P1 = value"; empty when positional
        Operand value;
    };
    std::string procedure;
    std::vector<Argument> arguments;
    int line = 1;
};

using Statement = std::variant<SetStatement, UseStatement, SelectStatement, BackupStatement, ExecStatement>;

}  // namespace sqlstandin
