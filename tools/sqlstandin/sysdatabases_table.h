#pragma once

#include "catalog.h"
#include "result_set.h"

#include <string_view>
#include <vector>

namespace sqlstandin {

// master.dbo.sysdatabases as the stand-in shows it: the compatibility
// view's columns, with plausible values for the ones nothing here uses.
class SysDatabasesTable final {
public:
    static const std::vector<Column>& columns();
    // Index of a column by name, under the server collation; -1 if none.
    static int columnIndex(std::string_view name);
    static std::vector<SqlValue> row(const DatabaseInfo& database);
    // Whether a FROM name (parts as written) refers to this table.
    static bool isNamedBy(const std::vector<std::string>& parts);
};

}  // namespace sqlstandin
