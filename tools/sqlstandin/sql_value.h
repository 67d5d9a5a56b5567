#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sqlstandin {

// A value as the stand-in handles it: from a literal, a bound parameter or a
// table cell. Types the stand-in has no arithmetic for (dates, decimals,
// floats) arrive as their text.
class SqlValue final {
public:
    enum class Kind { Null, Integer, Text, Binary };

    SqlValue() = default;
    static SqlValue integer(std::int64_t v);
    static SqlValue text(std::string utf8);
    static SqlValue binary(std::vector<std::uint8_t> bytes);

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    std::int64_t asInteger() const { return integer_; }
    const std::string& asText() const { return text_; }
    const std::vector<std::uint8_t>& asBinary() const { return binary_; }

    // How the value reads in the statement log and in messages.
    std::string display() const;

private:
    Kind kind_ = Kind::Null;
    std::int64_t integer_ = 0;
    std::string text_;
    std::vector<std::uint8_t> binary_;
};

}  // namespace sqlstandin
