#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace Win32 {

// Draws a label as the window's designer drew it: from the top-left corner,
// on one line, clipped at the label's edges. Labels are only as high as a
// 9-point line of 宋体; a face with a taller cell (another CJK face standing
// in for 宋体) would lose its underline and its lowest strokes below the
// edge, so the baseline is raised just enough to keep them inside.
class CaptionPainter final {
public:
    // Rows below the baseline that CJK strokes and an underline need.
    static constexpr int kRowsBelowBaseline = 2;

    // The baseline's distance from the top for a font's ascent and a
    // label's height.
    static int baselineFor(int ascent, int height);

    // Paints the label of an owner-drawn static control with the font
    // (without underline) and draws the underline where asked.
    static void paint(const DRAWITEMSTRUCT& item, HFONT font, bool underline);
};

} // namespace Win32
