#include "platform/win32/win32_text_encoding.h"

#include <optional>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// One UTF-8 character: its code point, or nothing when the bytes are not
// UTF-8; length is what to skip either way (a bad sequence ends before the
// first byte that cannot continue it, as the Linux converter skips it).
struct Utf8Character {
    std::optional<char32_t> codePoint;
    std::size_t length;
};

Utf8Character nextCharacter(const std::string& text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    char32_t c = lead;
    char32_t minimum = 0;
    if (lead >= 0xF0) {
        length = 4;
        c = lead & 0x07u;
        minimum = 0x10000;
    } else if (lead >= 0xE0) {
        length = 3;
        c = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xC0) {
        length = 2;
        c = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0x80) {
        return {std::nullopt, 1};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size() || (static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return {std::nullopt, i};
        c = (c << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3Fu);
    }
    if (lead >= 0xF8 || c < minimum || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return {std::nullopt, length};
    return {c, length};
}

// The GBK bytes of one character, or nothing when GBK cannot hold it.
std::optional<std::string> gbkOf(unsigned codePage, char32_t c)
{
    if (codePage == 0)
        return std::nullopt;
    wchar_t units[2];
    int count = 1;
    if (c >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(c);
    }
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int length =
        ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units, count, bytes, sizeof bytes, "?", &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    return std::string(bytes, static_cast<std::size_t>(length));
}

// The character of one GBK byte or byte pair, or nothing when it is not GBK.
std::optional<std::wstring> characterOf(unsigned codePage, const char* bytes, int length)
{
    if (codePage == 0)
        return std::nullopt;
    wchar_t units[2];
    const int count = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, units, 2);
    if (count <= 0)
        return std::nullopt;
    return std::wstring(units, static_cast<std::size_t>(count));
}

unsigned codePageNamed(const std::string& name)
{
    if (name == "GBK" || name == "936")
        return 936;
    return 0;
}

} // namespace

Win32TextEncoding::Win32TextEncoding(const std::string& codePage)
    : m_name(codePage)
    , m_codePage(codePageNamed(codePage))
{
}

std::string Win32TextEncoding::missingConverter() const
{
    // Without it the conversions below keep ASCII and replace the rest.
    if (m_codePage != 0 && ::IsValidCodePage(m_codePage))
        return {};
    return "Windows " + m_name;
}

std::string Win32TextEncoding::utf8ToGbk(const std::string& utf8, bool* lossless) const
{
    std::string gbk;
    gbk.reserve(utf8.size());
    bool clean = true;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto first = static_cast<unsigned char>(utf8[at]);
        if (first < 0x80) {
            gbk += static_cast<char>(first);
            ++at;
            continue;
        }
        const Utf8Character character = nextCharacter(utf8, at);
        at += character.length;
        const std::optional<std::string> bytes =
            character.codePoint ? gbkOf(m_codePage, *character.codePoint) : std::nullopt;
        if (bytes) {
            gbk += *bytes;
        } else {
            gbk += '?';
            clean = false;
        }
    }
    if (lossless)
        *lossless = clean;
    return gbk;
}

std::string Win32TextEncoding::gbkToUtf8(const std::string& gbk) const
{
    std::wstring text;
    text.reserve(gbk.size());
    for (std::size_t at = 0; at < gbk.size();) {
        const auto first = static_cast<unsigned char>(gbk[at]);
        if (first < 0x80) {
            text += static_cast<wchar_t>(first);
            ++at;
            continue;
        }
        // A byte that starts a pair is taken with the next one; when the two
        // are not GBK, only the first is replaced and the second is read anew.
        const bool lead = m_codePage != 0 && ::IsDBCSLeadByteEx(m_codePage, first) != 0;
        const bool pair = lead && at + 1 < gbk.size();
        const int length = pair ? 2 : 1;
        // A lead byte at the very end is half a character.
        const std::optional<std::wstring> character =
            lead && !pair ? std::nullopt : characterOf(m_codePage, gbk.data() + at, length);
        if (character) {
            text += *character;
            at += static_cast<std::size_t>(length);
        } else {
            text += kReplacement;
            ++at;
        }
    }
    return Wide::toUtf8(text);
}
