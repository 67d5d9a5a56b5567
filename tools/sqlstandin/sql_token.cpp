#include "sql_token.h"

#include "text.h"

namespace sqlstandin {

bool SqlToken::isWord(const char* keyword) const {
    return kind == Kind::Word && text::equalsIgnoreCase(text, keyword);
}

}  // namespace sqlstandin
