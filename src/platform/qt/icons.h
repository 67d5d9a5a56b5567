#pragma once

#include <QIcon>

#include "platform/icon.h"

// The program's light bulbs, 32 × 32 and 16 × 16: white while idle, lit
// yellow while running. No icon gives an empty QIcon.
namespace Icons {

QIcon forPicture(Icon icon);

} // namespace Icons
