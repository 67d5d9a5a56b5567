#pragma once

#include "statement.h"
#include "sql_token.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sqlstandin {

// Parses the statements the stand-in understands. Everything else is a
// compile error with the server's message, so nothing unknown is ever run.
class SqlParser final {
public:
    // declared: variables the batch may use (sp_executesql's parameters).
    static std::vector<Statement> parse(std::string_view sql, const std::vector<std::string>& declared = {});

private:
    SqlParser(std::vector<SqlToken> tokens, const std::vector<std::string>& declared);

    std::vector<Statement> batch();
    Statement statement();
    SetStatement setStatement();
    UseStatement useStatement();
    SelectStatement selectStatement();
    BackupStatement backupStatement();
    ExecStatement execStatement();
    SelectItem selectItem();
    std::vector<std::string> objectName();
    Operand operand();
    std::string name();
    int integer();
    void backupOption(BackupStatement& backup);

    const SqlToken& peek(std::size_t ahead = 0) const;
    const SqlToken& next();
    void expectWord(const char* keyword);
    void expectSymbol(const char* symbol);
    [[noreturn]] void fail() const;
    bool atStatementEnd() const;
    void checkDeclared(const SqlToken& variable) const;

    std::vector<SqlToken> tokens_;
    const std::vector<std::string>& declared_;
    std::size_t pos_ = 0;
};

}  // namespace sqlstandin
