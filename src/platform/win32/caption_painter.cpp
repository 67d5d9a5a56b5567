#include "platform/win32/caption_painter.h"

#include <algorithm>

namespace Win32 {

int CaptionPainter::baselineFor(int ascent, int height)
{
    return std::min(ascent, height - kRowsBelowBaseline);
}

void CaptionPainter::paint(const DRAWITEMSTRUCT& item, HFONT font, bool underline)
{
    const HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    // The window's own background, as a plain label paints it.
    const auto brush =
        reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(item.hwndItem), WM_CTLCOLORSTATIC,
                                                reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(item.hwndItem)));
    ::FillRect(dc, &area, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));

    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(item.hwndItem)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(item.hwndItem, text.data(), static_cast<int>(text.size()))));
    const HGDIOBJ previous = ::SelectObject(dc, font);
    const COLORREF ink = ::GetSysColor(::IsWindowEnabled(item.hwndItem) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    ::SetTextColor(dc, ink);
    ::SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int height = area.bottom - area.top;
    const int baseline = area.top + baselineFor(metrics.tmAscent, height);
    const UINT align = ::SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    ::ExtTextOutW(dc, area.left, baseline, ETO_CLIPPED, &area, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    ::SetTextAlign(dc, align);

    if (underline && !text.empty()) {
        // Where and how thick the face puts its underline, kept inside.
        OUTLINETEXTMETRICW outline{};
        outline.otmSize = sizeof outline;
        int below = 1;
        int thickness = 1;
        if (::GetOutlineTextMetricsW(dc, sizeof outline, &outline)) {
            below = std::max(1, -outline.otmsUnderscorePosition);
            thickness = std::max(1, static_cast<int>(outline.otmsUnderscoreSize));
        }
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        const int top = std::min(baseline + below, static_cast<int>(area.bottom) - thickness);
        const RECT line{area.left, top, std::min(area.left + extent.cx, area.right), top + thickness};
        const HBRUSH pen = ::CreateSolidBrush(ink);
        ::FillRect(dc, &line, pen);
        ::DeleteObject(pen);
    }
    ::SelectObject(dc, previous);
}

} // namespace Win32
