#pragma once

#include <QFont>

#include "app/label.h"

// The window's fonts. 宋体 is rarely installed on Linux: the CJK faces after
// it keep the Chinese captions legible wherever it is missing.
namespace ViewFonts {

// The default font of every control without a font of its own.
QFont windowFont();
// A label's own font; an empty family means the window's.
QFont fontFor(const FontSpec& spec);

} // namespace ViewFonts
