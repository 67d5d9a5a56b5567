#include "json_value.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "text.h"

namespace ondrel::test {

class JsonParser final {
public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    JsonValue document() {
        JsonValue v = value();
        skipSpace();
        if (pos_ != text_.size()) fail("trailing characters");
        return v;
    }

private:
    [[noreturn]] void fail(const char* what) const {
        throw std::runtime_error(std::string("JSON: ") + what + " at offset " + std::to_string(pos_));
    }

    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool consume(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    JsonValue value() {
        skipSpace();
        if (pos_ >= text_.size()) fail("unexpected end");
        JsonValue v;
        const char c = text_[pos_];
        if (c == '{') {
            v.type_ = JsonValue::Type::Object;
            ++pos_;
            skipSpace();
            if (consume("}")) return v;
            do {
                skipSpace();
                std::string key = string();
                skipSpace();
                if (!consume(":")) fail("expected ':'");
                v.object_[key] = value();
                skipSpace();
            } while (consume(","));
            if (!consume("}")) fail("expected '}'");
        } else if (c == '[') {
            v.type_ = JsonValue::Type::Array;
            ++pos_;
            skipSpace();
            if (consume("]")) return v;
            do {
                v.array_.push_back(value());
                skipSpace();
            } while (consume(","));
            if (!consume("]")) fail("expected ']'");
        } else if (c == '"') {
            v.type_ = JsonValue::Type::String;
            v.string_ = string();
        } else if (consume("true")) {
            v.type_ = JsonValue::Type::Bool;
            v.bool_ = true;
        } else if (consume("false")) {
            v.type_ = JsonValue::Type::Bool;
        } else if (consume("null")) {
        } else {
            v.type_ = JsonValue::Type::Number;
            const std::string rest(text_.substr(pos_, 40));
            char* end = nullptr;
            v.number_ = std::strtod(rest.c_str(), &end);
            if (end == rest.c_str()) fail("bad value");
            pos_ += static_cast<std::size_t>(end - rest.c_str());
        }
        return v;
    }

    unsigned hex4() {
        if (pos_ + 4 > text_.size()) fail("short \\u escape");
        const std::string digits(text_.substr(pos_, 4));
        pos_ += 4;
        return static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 16));
    }

    std::string string() {
        if (!consume("\"")) fail("expected string");
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) fail("unterminated string");
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) fail("unterminated escape");
            const char e = text_[pos_++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                std::u16string units(1, static_cast<char16_t>(hex4()));
                if (units[0] >= 0xD800 && units[0] < 0xDC00 && consume("\\u")) units += static_cast<char16_t>(hex4());
                out += sqlstandin::text::utf16ToUtf8(units);
                break;
            }
            default: out += e;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

JsonValue JsonValue::parse(std::string_view text) { return JsonParser(text).document(); }

const JsonValue* JsonValue::find(const std::string& key) const {
    if (type_ != Type::Object) return nullptr;
    const auto it = object_.find(key);
    return it == object_.end() ? nullptr : &it->second;
}

std::string JsonValue::stringOr(const std::string& key, std::string fallback) const {
    const JsonValue* v = find(key);
    return v && v->type() == Type::String ? v->asString() : fallback;
}

}  // namespace ondrel::test
