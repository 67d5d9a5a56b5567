#pragma once

#include <string>

namespace sqlstandin {

struct SqlToken {
    enum class Kind { Word, QuotedName, String, Number, Variable, Symbol, End };

    Kind kind = Kind::End;
    std::string text;        // names and strings unescaped, without their quotes
    bool unicode = false;    // N'...'
    int line = 1;

    bool isWord(const char* keyword) const;
    bool isSymbol(const char* symbol) const { return kind == Kind::Symbol && text == symbol; }
    bool isName() const { return kind == Kind::Word || kind == Kind::QuotedName; }
};

}  // namespace sqlstandin
