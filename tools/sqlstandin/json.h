#pragma once

#include <string>
#include <string_view>

namespace sqlstandin {

// A JSON string literal, quotes included; the input is UTF-8 and stays so.
std::string jsonQuote(std::string_view utf8);

}  // namespace sqlstandin
