#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::test {

// A parsed JSON value; enough of JSON to read the stand-in's statement log.
class JsonValue final {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    static JsonValue parse(std::string_view text);   // throws std::runtime_error

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool asBool() const { return bool_; }
    double asNumber() const { return number_; }
    const std::string& asString() const { return string_; }
    const std::vector<JsonValue>& asArray() const { return array_; }
    const std::map<std::string, JsonValue>& asObject() const { return object_; }

    // Member lookup; nullptr when absent or not an object.
    const JsonValue* find(const std::string& key) const;
    std::string stringOr(const std::string& key, std::string fallback = {}) const;

private:
    friend class JsonParser;
    Type type_ = Type::Null;
    bool bool_ = false;
    double number_ = 0;
    std::string string_;
    std::vector<JsonValue> array_;
    std::map<std::string, JsonValue> object_;
};

}  // namespace ondrel::test
