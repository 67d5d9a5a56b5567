#include "platform/win32/wide_text.h"

#include "text/utf16.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t holds UTF-16");

namespace Wide {

std::wstring fromUtf8(std::string_view utf8)
{
    const std::u16string units = Utf16::fromUtf8(utf8);
    return {units.begin(), units.end()};
}

std::string toUtf8(std::wstring_view wide)
{
    return Utf16::toUtf8(std::u16string(wide.begin(), wide.end()));
}

} // namespace Wide
