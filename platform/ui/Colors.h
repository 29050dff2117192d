#pragma once
// Colour values (platform/ColorNames.h) on the screen: system colours
// follow the widget's palette.
#include <QColor>
#include <QPalette>
#include <cstdint>

#include "platform/ColorNames.h"

namespace tansa2::platform {

// clNone gives a transparent colour; an unknown system colour black.
QColor ToQColor(uint32_t tcolor, const QPalette& palette);

}  // namespace tansa2::platform
