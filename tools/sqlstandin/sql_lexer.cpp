#include "sql_lexer.h"

#include "messages.h"
#include "sql_error.h"
#include "text.h"

#include <cstddef>
#include <string>

namespace sqlstandin {
namespace {

constexpr std::size_t kMaxIdentifier = 128;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool isNamePart(char c) { return isNameStart(c) || isDigit(c) || c == '@' || c == '$'; }

class Scanner final {
public:
    explicit Scanner(std::string_view sql) : sql_(sql) {}

    std::vector<SqlToken> run() {
        std::vector<SqlToken> tokens;
        for (;;) {
            skipBlanksAndComments();
            SqlToken token;
            token.line = line_;
            if (pos_ >= sql_.size()) {
                tokens.push_back(token);
                return tokens;
            }
            const char c = sql_[pos_];
            if ((c == 'N' || c == 'n') && peek(1) == '\'') {
                ++pos_;
                token.unicode = true;
                quoted(token, '\'', SqlToken::Kind::String);
            } else if (c == '\'') {
                quoted(token, '\'', SqlToken::Kind::String);
            } else if (c == '[') {
                quoted(token, ']', SqlToken::Kind::QuotedName);
            } else if (c == '"') {
                quoted(token, '"', SqlToken::Kind::QuotedName);
            } else if (isDigit(c) || (c == '.' && isDigit(peek(1)))) {
                token.kind = SqlToken::Kind::Number;
                while (pos_ < sql_.size() && (isDigit(sql_[pos_]) || sql_[pos_] == '.')) token.text += sql_[pos_++];
            } else if (c == '@') {
                token.kind = SqlToken::Kind::Variable;
                token.text += sql_[pos_++];
                while (pos_ < sql_.size() && isNamePart(sql_[pos_])) token.text += sql_[pos_++];
                checkLength(token);
            } else if (isNameStart(c)) {
                token.kind = SqlToken::Kind::Word;
                while (pos_ < sql_.size() && isNamePart(sql_[pos_])) token.text += sql_[pos_++];
                checkLength(token);
            } else {
                token.kind = SqlToken::Kind::Symbol;
                token.text += sql_[pos_++];
                const char next = peek(0);
                if ((c == '<' && (next == '=' || next == '>')) || (c == '>' && next == '=') ||
                    (c == '!' && (next == '=' || next == '<' || next == '>')))
                    token.text += sql_[pos_++];
            }
            tokens.push_back(token);
        }
    }

private:
    char peek(std::size_t ahead) const { return pos_ + ahead < sql_.size() ? sql_[pos_ + ahead] : '\0'; }

    void advance() {
        if (sql_[pos_] == '\n') ++line_;
        ++pos_;
    }

    void skipBlanksAndComments() {
        while (pos_ < sql_.size()) {
            if (isSpace(sql_[pos_])) {
                advance();
            } else if (sql_[pos_] == '-' && peek(1) == '-') {
                while (pos_ < sql_.size() && sql_[pos_] != '\n') ++pos_;
            } else if (sql_[pos_] == '/' && peek(1) == '*') {
                const int startLine = line_;
                int depth = 0;
                do {
                    if (pos_ >= sql_.size()) throw SqlError(messages::missingEndComment(startLine));
                    if (sql_[pos_] == '/' && peek(1) == '*') {
                        ++depth;
                        pos_ += 2;
                    } else if (sql_[pos_] == '*' && peek(1) == '/') {
                        --depth;
                        pos_ += 2;
                    } else {
                        advance();
                    }
                } while (depth > 0);
            } else {
                return;
            }
        }
    }

    // A quoted string or name; a doubled closing quote stands for itself.
    void quoted(SqlToken& token, char close, SqlToken::Kind kind) {
        token.kind = kind;
        const std::size_t contentStart = pos_ + 1;
        ++pos_;
        for (;;) {
            if (pos_ >= sql_.size()) {
                const std::string rest(sql_.substr(contentStart));
                throw SqlError({messages::unclosedQuote(rest, token.line), messages::syntaxNear(rest, token.line)});
            }
            if (sql_[pos_] == close) {
                if (peek(1) == close) {
                    token.text += close;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            token.text += sql_[pos_];
            advance();
        }
        if (kind == SqlToken::Kind::QuotedName) checkLength(token);
    }

    void checkLength(const SqlToken& token) const {
        if (text::utf16Length(token.text) > kMaxIdentifier)
            throw SqlError(messages::identifierTooLong(text::utf16Prefix(token.text, kMaxIdentifier), token.line));
    }

    std::string_view sql_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

std::vector<SqlToken> SqlLexer::tokenize(std::string_view sql) { return Scanner(sql).run(); }

}  // namespace sqlstandin
