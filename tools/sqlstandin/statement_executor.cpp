#include "statement_executor.h"

#include "backup_runner.h"
#include "messages.h"
#include "sql_error.h"
#include "sql_parser.h"
#include "sysdatabases_table.h"
#include "tds_constants.h"
#include "text.h"

#include <algorithm>

namespace sqlstandin {
namespace {

ServerMessage mustSpecifyTable(int line) {
    ServerMessage m;
    m.number = 263;
    m.severity = 16;
    m.text = "Must specify table to select from.";
    m.line = line;
    return m;
}

ServerMessage notInAggregate(std::string_view column, int line) {
    ServerMessage m;
    m.number = 8120;
    m.severity = 16;
    m.text = "Column 'master.dbo.sysdatabases." + std::string(column) +
             "' is invalid in the select list because it is not contained in either an aggregate function or the "
             "GROUP BY clause.";
    m.line = line;
    return m;
}

Column constantColumn(const SqlValue& v, const std::string& alias) {
    switch (v.kind()) {
    case SqlValue::Kind::Text:
        return {alias, ColumnType::NVarChar, static_cast<std::uint16_t>(std::max<std::size_t>(1, text::utf16Length(v.asText()))), false};
    case SqlValue::Kind::Binary:
        return {alias, ColumnType::VarBinary, static_cast<std::uint16_t>(std::max<std::size_t>(1, v.asBinary().size())), false};
    case SqlValue::Kind::Null: return {alias, ColumnType::Int, 0, true};
    case SqlValue::Kind::Integer: break;
    }
    return {alias, ColumnType::Int, 0, false};
}

// Equality under the server collation; numbers compare by value.
bool matches(const SqlValue& cell, const SqlValue& wanted) {
    if (cell.isNull() || wanted.isNull()) return false;
    if (cell.kind() == SqlValue::Kind::Integer && wanted.kind() == SqlValue::Kind::Integer)
        return cell.asInteger() == wanted.asInteger();
    return text::sameName(cell.display(), wanted.display());
}

bool before(const SqlValue& a, const SqlValue& b) {
    if (a.kind() == SqlValue::Kind::Integer && b.kind() == SqlValue::Kind::Integer) return a.asInteger() < b.asInteger();
    return text::collationKey(a.display()) < text::collationKey(b.display());
}

}  // namespace

StatementExecutor::StatementExecutor(ServerContext& server, SessionState& session, ResponseChannel& reply,
                                     const Parameters& params, std::uint8_t doneToken, bool dropMidway)
    : server_(server), session_(session), reply_(reply), params_(params), doneToken_(doneToken), dropMidway_(dropMidway) {}

StatementOutcome StatementExecutor::execute(const Statement& statement) {
    if (dropMidway_ && !std::holds_alternative<BackupStatement>(statement)) {
        StatementOutcome dropped;
        dropped.kind = StatementOutcome::Kind::Dropped;
        return dropped;
    }
    return std::visit(
        [this](const auto& s) -> StatementOutcome {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, SetStatement>) return set(s);
            else if constexpr (std::is_same_v<T, UseStatement>) return use(s);
            else if constexpr (std::is_same_v<T, SelectStatement>) return select(s);
            else if constexpr (std::is_same_v<T, BackupStatement>) return backup(s);
            else return exec(s);
        },
        statement);
}

StatementOutcome StatementExecutor::fail(const ServerMessage& m) {
    reply_.tokens().message(m);
    StatementOutcome out;
    out.status = tds::kDoneError;
    return out;
}

SqlValue StatementExecutor::resolve(const Operand& operand) const {
    if (!operand.isVariable()) return operand.literal;
    const SqlValue* bound = params_.find(operand.variable);
    return bound ? *bound : SqlValue();
}

StatementOutcome StatementExecutor::set(const SetStatement& s) {
    if (s.words.size() >= 2 && text::equalsIgnoreCase(s.words[0], "NOCOUNT"))
        session_.nocount = text::equalsIgnoreCase(s.words[1], "ON");
    StatementOutcome out;
    out.curCmd = tds::kCurCmdSet;
    return out;
}

StatementOutcome StatementExecutor::use(const UseStatement& s) {
    const DatabaseInfo* db = server_.catalog.find(s.database);
    if (!db) return fail(messages::databaseDoesNotExist(s.database, s.line));
    reply_.tokens().envChange(tds::kEnvDatabase, db->name, session_.database);
    reply_.tokens().message(messages::changedDatabase(db->name));
    session_.database = db->name;
    StatementOutcome out;
    out.curCmd = tds::kCurCmdUse;
    return out;
}

SqlValue StatementExecutor::serverVariable(const std::string& name) const {
    if (text::equalsIgnoreCase(name, "@@SPID")) return SqlValue::integer(session_.spid);
    if (text::equalsIgnoreCase(name, "@@TRANCOUNT")) return SqlValue::integer(session_.inTransaction ? 1 : 0);
    if (text::equalsIgnoreCase(name, "@@SERVERNAME")) return SqlValue::text("SQLSTANDIN");
    return SqlValue::text("Microsoft SQL Server 2022 (RTM) - 16.0.1000.6 (X64) (SQL Server stand-in for tests)");
}

StatementOutcome StatementExecutor::select(const SelectStatement& s) {
    if (s.from) return selectFromSysDatabases(s);
    ResultSet results;
    results.rows.emplace_back();
    for (const SelectItem& item : s.items) {
        switch (item.kind) {
        case SelectItem::Kind::Star: return fail(mustSpecifyTable(s.line));
        case SelectItem::Kind::Column: return fail(messages::invalidColumn(item.name, s.line));
        case SelectItem::Kind::CountStar:
            results.columns.push_back({item.alias, ColumnType::Int, 0, false});
            results.rows[0].push_back(SqlValue::integer(1));
            break;
        case SelectItem::Kind::ServerVariable: {
            const SqlValue v = serverVariable(item.name);
            Column c = constantColumn(v, item.alias);
            if (text::equalsIgnoreCase(item.name, "@@SPID")) c.type = ColumnType::SmallInt;
            if (c.type == ColumnType::NVarChar) c.maxLength = 300;
            results.columns.push_back(c);
            results.rows[0].push_back(v);
            break;
        }
        case SelectItem::Kind::Constant: {
            const SqlValue v = resolve(item.constant);
            Column c = constantColumn(v, item.alias);
            if (item.constant.isVariable() && c.type == ColumnType::NVarChar) c.maxLength = 4000;
            results.columns.push_back(c);
            results.rows[0].push_back(v);
            break;
        }
        }
    }
    if (s.whereColumn) return fail(messages::invalidColumn(*s.whereColumn, s.line));
    if (s.orderColumn) return fail(messages::invalidColumn(*s.orderColumn, s.line));
    reply_.tokens().resultSet(results);
    StatementOutcome out;
    out.status = session_.nocount ? 0 : tds::kDoneCount;
    out.curCmd = tds::kCurCmdSelect;
    out.rows = 1;
    return out;
}

StatementOutcome StatementExecutor::selectFromSysDatabases(const SelectStatement& s) {
    if (!SysDatabasesTable::isNamedBy(*s.from)) {
        std::string name;
        for (const std::string& part : *s.from) name += (name.empty() ? "" : ".") + part;
        return fail(messages::invalidObject(name, s.line));
    }
    const auto& tableColumns = SysDatabasesTable::columns();
    // Check every name before producing anything, as the server compiles first.
    for (const SelectItem& item : s.items)
        if (item.kind == SelectItem::Kind::Column && SysDatabasesTable::columnIndex(item.name) < 0)
            return fail(messages::invalidColumn(item.name, s.line));
    int whereIndex = -1;
    int orderIndex = -1;
    if (s.whereColumn && (whereIndex = SysDatabasesTable::columnIndex(*s.whereColumn)) < 0)
        return fail(messages::invalidColumn(*s.whereColumn, s.line));
    if (s.orderColumn && (orderIndex = SysDatabasesTable::columnIndex(*s.orderColumn)) < 0)
        return fail(messages::invalidColumn(*s.orderColumn, s.line));
    const bool aggregate = std::any_of(s.items.begin(), s.items.end(),
                                       [](const SelectItem& i) { return i.kind == SelectItem::Kind::CountStar; });
    if (aggregate) {
        for (const SelectItem& item : s.items) {
            if (item.kind == SelectItem::Kind::Column) return fail(notInAggregate(item.name, s.line));
            if (item.kind == SelectItem::Kind::Star) return fail(notInAggregate("name", s.line));
        }
    }

    std::vector<std::vector<SqlValue>> tableRows;
    const SqlValue wanted = resolve(s.whereValue);
    for (const DatabaseInfo& db : server_.catalog.databases()) {
        auto row = SysDatabasesTable::row(db);
        if (whereIndex >= 0 && !matches(row[static_cast<std::size_t>(whereIndex)], wanted)) continue;
        tableRows.push_back(std::move(row));
    }
    if (orderIndex >= 0) {
        const auto k = static_cast<std::size_t>(orderIndex);
        std::stable_sort(tableRows.begin(), tableRows.end(), [&](const auto& a, const auto& b) {
            return s.descending ? before(b[k], a[k]) : before(a[k], b[k]);
        });
    }

    ResultSet results;
    if (aggregate) {
        results.rows.emplace_back();
        for (const SelectItem& item : s.items) {
            const SqlValue v = item.kind == SelectItem::Kind::CountStar
                                   ? SqlValue::integer(static_cast<std::int64_t>(tableRows.size()))
                                   : (item.kind == SelectItem::Kind::ServerVariable ? serverVariable(item.name)
                                                                                    : resolve(item.constant));
            results.columns.push_back(constantColumn(v, item.alias));
            results.rows[0].push_back(v);
        }
    } else {
        std::vector<int> sources;   // table column, or -1 - item index for computed items
        for (std::size_t i = 0; i < s.items.size(); ++i) {
            const SelectItem& item = s.items[i];
            if (item.kind == SelectItem::Kind::Star) {
                for (std::size_t c = 0; c < tableColumns.size(); ++c) {
                    results.columns.push_back(tableColumns[c]);
                    sources.push_back(static_cast<int>(c));
                }
            } else if (item.kind == SelectItem::Kind::Column) {
                const int c = SysDatabasesTable::columnIndex(item.name);
                Column column = tableColumns[static_cast<std::size_t>(c)];
                if (!item.alias.empty()) column.name = item.alias;
                results.columns.push_back(column);
                sources.push_back(c);
            } else {
                const SqlValue v = item.kind == SelectItem::Kind::ServerVariable ? serverVariable(item.name)
                                                                                 : resolve(item.constant);
                results.columns.push_back(constantColumn(v, item.alias));
                sources.push_back(-1 - static_cast<int>(i));
            }
        }
        for (const auto& tableRow : tableRows) {
            std::vector<SqlValue> row;
            for (int source : sources) {
                if (source >= 0) {
                    row.push_back(tableRow[static_cast<std::size_t>(source)]);
                } else {
                    const SelectItem& item = s.items[static_cast<std::size_t>(-1 - source)];
                    row.push_back(item.kind == SelectItem::Kind::ServerVariable ? serverVariable(item.name)
                                                                                : resolve(item.constant));
                }
            }
            results.rows.push_back(std::move(row));
        }
    }
    reply_.tokens().resultSet(results);
    StatementOutcome out;
    out.status = session_.nocount ? 0 : tds::kDoneCount;
    out.curCmd = tds::kCurCmdSelect;
    out.rows = results.rows.size();
    return out;
}

StatementOutcome StatementExecutor::backup(const BackupStatement& s) {
    BackupRunner runner(server_, session_, reply_, doneToken_, dropMidway_);
    return runner.run(s, resolve(s.database), resolve(s.path));
}

StatementOutcome StatementExecutor::exec(const ExecStatement& s) {
    if (!text::sameName(s.procedure, "sp_executesql")) {
        ServerMessage m = messages::procedureNotFound(s.procedure);
        m.line = s.line;
        return fail(m);
    }
    if (s.arguments.empty()) {
        ServerMessage m;
        m.number = 201;
        m.severity = 16;
        m.state = 4;
        m.text = "Procedure or function 'sp_executesql' expects parameter '@statement', which was not supplied.";
        m.line = s.line;
        return fail(m);
    }
    std::vector<RpcParameter> values;
    for (std::size_t i = 2; i < s.arguments.size(); ++i)
        values.push_back(RpcParameter{s.arguments[i].name, false, resolve(s.arguments[i].value)});
    const SqlValue sql = resolve(s.arguments[0].value);
    const std::string declaration = s.arguments.size() > 1 ? resolve(s.arguments[1].value).display() : std::string();
    const Parameters inner = Parameters::bind(declaration, values);

    std::vector<Statement> statements;
    try {
        statements = SqlParser::parse(sql.isNull() ? std::string() : sql.display(), inner.declared());
    } catch (const SqlError& e) {
        for (const ServerMessage& m : e.messages()) reply_.tokens().message(m);
        StatementOutcome out;
        out.status = tds::kDoneError;
        return out;
    }
    bool failed = false;
    for (const Statement& statement : statements) {
        StatementExecutor nested(server_, session_, reply_, inner, tds::kDoneInProc, dropMidway_);
        const StatementOutcome outcome = nested.execute(statement);
        if (outcome.kind != StatementOutcome::Kind::Completed) return outcome;
        reply_.tokens().done(tds::kDoneInProc, static_cast<std::uint16_t>(outcome.status | tds::kDoneMore), outcome.curCmd,
                             outcome.rows);
        failed = failed || (outcome.status & tds::kDoneError) != 0;
    }
    reply_.tokens().returnStatus(0);
    StatementOutcome out;
    out.status = failed ? tds::kDoneError : 0;
    return out;
}

}  // namespace sqlstandin
