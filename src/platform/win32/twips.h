#pragma once

#include <cmath>

#include "platform/twips_rect.h"
#include "platform/win32/windows_api.h"

// Twips are 1/1440 inch; a pixel is 1440 / dpi of them (15 at 96 dpi, 10 at
// 144 dpi). Every position and size is rounded on its own, as the window's
// designer rounds them.
namespace Twips {

inline float perPixel(UINT dpi)
{
    return dpi > 0 ? 1440.0f / static_cast<float>(dpi) : 15.0f;
}

inline int toPixels(double twips, UINT dpi)
{
    return static_cast<int>(std::lround(twips * (dpi > 0 ? dpi : 96) / 1440.0));
}

inline RECT toPixels(const TwipsRect& rect, UINT dpi)
{
    const int left = toPixels(rect.left, dpi);
    const int top = toPixels(rect.top, dpi);
    return {left, top, left + toPixels(rect.width, dpi), top + toPixels(rect.height, dpi)};
}

} // namespace Twips
