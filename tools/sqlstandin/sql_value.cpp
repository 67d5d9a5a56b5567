#include "sql_value.h"

#include <utility>

namespace sqlstandin {

SqlValue SqlValue::integer(std::int64_t v) {
    SqlValue out;
    out.kind_ = Kind::Integer;
    out.integer_ = v;
    return out;
}

SqlValue SqlValue::text(std::string utf8) {
    SqlValue out;
    out.kind_ = Kind::Text;
    out.text_ = std::move(utf8);
    return out;
}

SqlValue SqlValue::binary(std::vector<std::uint8_t> bytes) {
    SqlValue out;
    out.kind_ = Kind::Binary;
    out.binary_ = std::move(bytes);
    return out;
}

std::string SqlValue::display() const {
    switch (kind_) {
    case Kind::Null: return "NULL";
    case Kind::Integer: return std::to_string(integer_);
    case Kind::Text: return text_;
    case Kind::Binary: {
        static const char* digits = "0123456789ABCDEF";
        std::string out = "0x";
        for (std::uint8_t b : binary_) {
            out += digits[b >> 4];
            out += digits[b & 15];
        }
        return out;
    }
    }
    return {};
}

}  // namespace sqlstandin
