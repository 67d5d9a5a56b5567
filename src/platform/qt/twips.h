#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

#include "platform/twips_rect.h"

// Twips are 1/1440 inch; a pixel is 1440 / logical dpi of them (15 at 96 dpi).
namespace Twips {

inline float perPixel(const QWidget& widget)
{
    const int dpi = widget.logicalDpiX();
    return dpi > 0 ? 1440.0f / static_cast<float>(dpi) : 15.0f;
}

inline int toPixels(float twips, float twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

inline QRect toPixels(const TwipsRect& rect, float twipsPerPixel)
{
    return {toPixels(static_cast<float>(rect.left), twipsPerPixel),
            toPixels(static_cast<float>(rect.top), twipsPerPixel),
            toPixels(static_cast<float>(rect.width), twipsPerPixel),
            toPixels(static_cast<float>(rect.height), twipsPerPixel)};
}

} // namespace Twips
