#include "sql_parser.h"

#include "messages.h"
#include "sql_error.h"
#include "sql_lexer.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace sqlstandin {
namespace {

constexpr std::array kStatementStarts = {"SELECT", "SET", "USE", "BACKUP", "EXEC", "EXECUTE"};
constexpr std::array kReserved = {"SELECT", "SET", "USE", "BACKUP", "EXEC", "EXECUTE", "FROM", "WHERE", "ORDER", "GROUP", "BY",
                                  "UNION", "INTO", "AS", "AND", "OR", "NOT", "TO", "WITH", "DATABASE", "ON"};
constexpr std::array kServerVariables = {"@@SPID", "@@VERSION", "@@SERVERNAME", "@@TRANCOUNT"};
constexpr std::array kIgnoredBackupOptions = {"NOINIT", "NOFORMAT", "SKIP", "NOSKIP", "REWIND", "NOREWIND",
                                              "UNLOAD", "NOUNLOAD", "COPY_ONLY", "CHECKSUM", "NO_CHECKSUM",
                                              "STOP_ON_ERROR", "CONTINUE_AFTER_ERROR", "COMPRESSION",
                                              "NO_COMPRESSION"};
constexpr std::array kTextBackupOptions = {"NAME", "DESCRIPTION", "MEDIANAME", "MEDIADESCRIPTION"};
constexpr std::array kNumberBackupOptions = {"BLOCKSIZE", "BUFFERCOUNT", "MAXTRANSFERSIZE"};

template <std::size_t N>
bool isOneOf(const SqlToken& token, const std::array<const char*, N>& words) {
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return token.isWord(w); });
}

template <std::size_t N>
bool containsIgnoreCase(const std::array<const char*, N>& words, const std::string& s) {
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return text::equalsIgnoreCase(w, s); });
}

}  // namespace

std::vector<Statement> SqlParser::parse(std::string_view sql, const std::vector<std::string>& declared) {
    SqlParser parser(SqlLexer::tokenize(sql), declared);
    return parser.batch();
}

SqlParser::SqlParser(std::vector<SqlToken> tokens, const std::vector<std::string>& declared)
    : tokens_(std::move(tokens)), declared_(declared) {}

const SqlToken& SqlParser::peek(std::size_t ahead) const {
    const std::size_t at = std::min(pos_ + ahead, tokens_.size() - 1);
    return tokens_[at];
}

const SqlToken& SqlParser::next() {
    const SqlToken& token = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return token;
}

// The server names the token it stopped at; at the end, the last one.
void SqlParser::fail() const {
    std::size_t at = pos_;
    if (tokens_[at].kind == SqlToken::Kind::End && at > 0) --at;
    throw SqlError(messages::syntaxNear(tokens_[at].text, tokens_[at].line));
}

void SqlParser::expectWord(const char* keyword) {
    if (!peek().isWord(keyword)) fail();
    next();
}

void SqlParser::expectSymbol(const char* symbol) {
    if (!peek().isSymbol(symbol)) fail();
    next();
}

bool SqlParser::atStatementEnd() const {
    const SqlToken& t = peek();
    return t.kind == SqlToken::Kind::End || t.isSymbol(";") || isOneOf(t, kStatementStarts);
}

void SqlParser::checkDeclared(const SqlToken& variable) const {
    const bool known = std::any_of(declared_.begin(), declared_.end(),
                                   [&](const std::string& d) { return text::sameName(d, variable.text); });
    if (!known) throw SqlError(messages::mustDeclareVariable(variable.text, variable.line));
}

std::vector<Statement> SqlParser::batch() {
    std::vector<Statement> statements;
    while (peek().kind != SqlToken::Kind::End) {
        if (peek().isSymbol(";")) {
            next();
            continue;
        }
        statements.push_back(statement());
        if (!atStatementEnd()) fail();
    }
    return statements;
}

Statement SqlParser::statement() {
    const SqlToken& t = peek();
    if (t.isWord("SET")) return setStatement();
    if (t.isWord("USE")) return useStatement();
    if (t.isWord("SELECT")) return selectStatement();
    if (t.isWord("BACKUP")) return backupStatement();
    if (t.isWord("EXEC") || t.isWord("EXECUTE")) return execStatement();
    fail();
}

SetStatement SqlParser::setStatement() {
    SetStatement set;
    set.line = next().line;
    if (atStatementEnd()) fail();
    if (peek().kind == SqlToken::Kind::Variable) checkDeclared(peek());
    while (!atStatementEnd()) {
        const SqlToken& t = next();
        if (t.kind == SqlToken::Kind::Variable && t.text.rfind("@@", 0) != 0) checkDeclared(t);
        set.words.push_back(t.text);
    }
    return set;
}

UseStatement SqlParser::useStatement() {
    UseStatement use;
    use.line = next().line;
    use.database = name();
    return use;
}

std::string SqlParser::name() {
    const SqlToken& t = peek();
    if (!t.isName() || (t.kind == SqlToken::Kind::Word && isOneOf(t, kReserved))) fail();
    return next().text;
}

int SqlParser::integer() {
    const SqlToken& t = peek();
    if (t.kind != SqlToken::Kind::Number || t.text.find('.') != std::string::npos || t.text.size() > 9) fail();
    return std::stoi(next().text);
}

Operand SqlParser::operand() {
    Operand op;
    const SqlToken& t = peek();
    if (t.kind == SqlToken::Kind::String) {
        op.literal = SqlValue::text(t.unicode ? t.text : text::narrowToCodePage(t.text));
    } else if (t.kind == SqlToken::Kind::Variable) {
        checkDeclared(t);
        op.variable = t.text;
    } else if (t.isWord("NULL")) {
        op.literal = SqlValue();
    } else if (t.isSymbol("-") && peek(1).kind == SqlToken::Kind::Number) {
        next();
        op.literal = SqlValue::integer(-integer());
        return op;
    } else if (t.kind == SqlToken::Kind::Number) {
        op.literal = SqlValue::integer(integer());
        return op;
    } else {
        fail();
    }
    next();
    return op;
}

SelectStatement SqlParser::selectStatement() {
    SelectStatement select;
    select.line = next().line;
    do {
        select.items.push_back(selectItem());
    } while (peek().isSymbol(",") && (next(), true));

    if (peek().isWord("FROM")) {
        next();
        select.from = objectName();
    }
    if (peek().isWord("WHERE")) {
        next();
        select.whereColumn = name();
        expectSymbol("=");
        select.whereValue = operand();
    }
    if (peek().isWord("ORDER")) {
        next();
        expectWord("BY");
        select.orderColumn = name();
        if (peek().isWord("ASC")) {
            next();
        } else if (peek().isWord("DESC")) {
            next();
            select.descending = true;
        }
    }
    return select;
}

SelectItem SqlParser::selectItem() {
    SelectItem item;
    const SqlToken& t = peek();
    if (t.isSymbol("*")) {
        item.kind = SelectItem::Kind::Star;
        next();
        return item;
    }
    if (t.isWord("COUNT") && peek(1).isSymbol("(")) {
        next();
        next();
        expectSymbol("*");
        expectSymbol(")");
        item.kind = SelectItem::Kind::CountStar;
    } else if (t.kind == SqlToken::Kind::Variable && t.text.rfind("@@", 0) == 0) {
        if (!containsIgnoreCase(kServerVariables, t.text)) throw SqlError(messages::mustDeclareVariable(t.text, t.line));
        item.kind = SelectItem::Kind::ServerVariable;
        item.name = next().text;
    } else if (t.kind == SqlToken::Kind::String || t.kind == SqlToken::Kind::Number ||
               t.kind == SqlToken::Kind::Variable || t.isSymbol("-") || t.isWord("NULL")) {
        item.kind = SelectItem::Kind::Constant;
        item.constant = operand();
    } else {
        item.kind = SelectItem::Kind::Column;
        item.name = name();
    }

    if (peek().isWord("AS")) {
        next();
        if (peek().kind == SqlToken::Kind::String) {
            item.alias = next().text;
        } else {
            item.alias = name();
        }
    } else if (peek().kind == SqlToken::Kind::QuotedName ||
               (peek().kind == SqlToken::Kind::Word && !isOneOf(peek(), kReserved))) {
        item.alias = next().text;
    }
    return item;
}

std::vector<std::string> SqlParser::objectName() {
    std::vector<std::string> parts{name()};
    while (peek().isSymbol(".")) {
        next();
        if (parts.size() == 4) fail();
        if (peek().isSymbol(".")) {
            parts.emplace_back();
            continue;
        }
        parts.push_back(name());
    }
    return parts;
}

BackupStatement SqlParser::backupStatement() {
    BackupStatement backup;
    backup.line = next().line;
    expectWord("DATABASE");
    if (peek().kind == SqlToken::Kind::Variable) {
        backup.database = operand();
    } else {
        backup.database.literal = SqlValue::text(name());
    }
    expectWord("TO");
    expectWord("DISK");
    expectSymbol("=");
    if (peek().kind != SqlToken::Kind::String && peek().kind != SqlToken::Kind::Variable) fail();
    backup.path = operand();
    if (peek().isWord("WITH")) {
        next();
        do {
            backupOption(backup);
        } while (peek().isSymbol(",") && (next(), true));
    }
    return backup;
}

ExecStatement SqlParser::execStatement() {
    ExecStatement exec;
    exec.line = next().line;
    const std::vector<std::string> parts = objectName();
    exec.procedure = parts.back();
    if (atStatementEnd()) return exec;
    do {
        ExecStatement::Argument argument;
        if (peek().kind == SqlToken::Kind::Variable && peek(1).isSymbol("=")) {
            argument.name = next().text;
            next();
        }
        argument.value = operand();
        exec.arguments.push_back(std::move(argument));
    } while (peek().isSymbol(",") && (next(), true));
    return exec;
}

void SqlParser::backupOption(BackupStatement& backup) {
    const SqlToken& t = peek();
    if (t.isWord("INIT") || t.isWord("FORMAT")) {
        next();
        backup.overwrite = true;
    } else if (isOneOf(t, kIgnoredBackupOptions)) {
        next();
    } else if (t.isWord("STATS")) {
        next();
        backup.stats = 10;
        if (peek().isSymbol("=")) {
            next();
            backup.stats = std::clamp(integer(), 1, 100);
        }
    } else if (isOneOf(t, kTextBackupOptions)) {
        next();
        expectSymbol("=");
        if (peek().kind != SqlToken::Kind::String && peek().kind != SqlToken::Kind::Variable) fail();
        operand();
    } else if (isOneOf(t, kNumberBackupOptions)) {
        next();
        expectSymbol("=");
        if (peek().kind == SqlToken::Kind::Variable) {
            operand();
        } else {
            integer();
        }
    } else {
        fail();
    }
}

}  // namespace sqlstandin
