#pragma once

#include <string>
#include <string_view>

// Letter case of the ASCII letters only: every other byte, UTF-8 included,
// stays as it is, whatever the process locale.
namespace LetterCase {

std::string upper(std::string text);
std::string lower(std::string text);
bool equalIgnoringCase(std::string_view a, std::string_view b);

} // namespace LetterCase
