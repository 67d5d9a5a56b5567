#include "platform/win32/view_fonts.h"

#include "platform/win32/wide_text.h"

namespace Win32 {

HFONT ViewFonts::fontFor(const FontSpec& spec)
{
    const std::string family = spec.family.empty() ? kWindowFamily : spec.family;
    const int points = spec.points > 0 ? spec.points : kWindowPoints;
    for (const Made& made : m_fonts) {
        if (made.family == family && made.points == points && made.underline == spec.underline)
            return made.font.get();
    }
    LOGFONTW description{};
    description.lfHeight = -::MulDiv(points, static_cast<int>(m_dpi), 72);
    description.lfWeight = FW_NORMAL;
    description.lfUnderline = spec.underline ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = Wide::fromUtf8(family);
    face.copy(description.lfFaceName, LF_FACESIZE - 1);
    m_fonts.push_back({family, points, spec.underline, OwnedFont(::CreateFontIndirectW(&description))});
    return m_fonts.back().font.get();
}

} // namespace Win32
