#include "sysdatabases_table.h"

#include "text.h"

namespace sqlstandin {

const std::vector<Column>& SysDatabasesTable::columns() {
    static const std::vector<Column> all = {
        {"name", ColumnType::NVarChar, 128, true},   {"dbid", ColumnType::SmallInt, 0, true},
        {"sid", ColumnType::VarBinary, 85, true},    {"mode", ColumnType::SmallInt, 0, true},
        {"status", ColumnType::Int, 0, true},        {"status2", ColumnType::Int, 0, true},
        {"crdate", ColumnType::DateTime, 0, false},  {"reserved", ColumnType::DateTime, 0, false},
        {"category", ColumnType::Int, 0, true},      {"cmptlevel", ColumnType::TinyInt, 0, false},
        {"filename", ColumnType::NVarChar, 260, true}, {"version", ColumnType::SmallInt, 0, true},
    };
    return all;
}

int SysDatabasesTable::columnIndex(std::string_view name) {
    const auto& all = columns();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (text::sameName(all[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::vector<SqlValue> SysDatabasesTable::row(const DatabaseInfo& db) {
    const auto created =
        std::chrono::duration_cast<std::chrono::milliseconds>(db.created.time_since_epoch()).count();
    const bool system = db.dbid <= 4;
    return {
        SqlValue::text(db.name),
        SqlValue::integer(db.dbid),
        SqlValue::binary({0x01}),
        SqlValue::integer(0),
        SqlValue::integer(system ? 65544 : 65536),
        SqlValue::integer(1090519040),
        SqlValue::integer(created),
        SqlValue::integer(-2208988800000),   // 1900-01-01, as the column always holds
        SqlValue::integer(0),
        SqlValue::integer(160),
        SqlValue::text("/var/opt/mssql/data/" + db.name + ".mdf"),
        SqlValue::integer(957),
    };
}

bool SysDatabasesTable::isNamedBy(const std::vector<std::string>& parts) {
    if (parts.empty() || parts.size() > 3 || !text::sameName(parts.back(), "sysdatabases")) return false;
    if (parts.size() >= 2) {
        const std::string& schema = parts[parts.size() - 2];
        if (!schema.empty() && !text::sameName(schema, "dbo") && !text::sameName(schema, "sys")) return false;
    }
    return parts.size() < 3 || text::sameName(parts[0], "master");
}

}  // namespace sqlstandin
