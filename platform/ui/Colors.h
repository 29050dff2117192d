#pragma once
// Colour values as the settings hold them: 0x00BBGGRR for a plain colour,
// 0x80000000 + index for a system colour, clNone for none. System colours
// follow the widget's palette.
#include <QColor>
#include <QPalette>
#include <cstdint>

namespace tansa2::platform {

constexpr uint32_t clNone = 0x1FFFFFFF;
constexpr uint32_t clHighlight = 0x8000000D;
constexpr uint32_t clHighlightText = 0x8000000E;
constexpr uint32_t clBtnFace = 0x8000000F;
constexpr uint32_t clBtnShadow = 0x80000010;
constexpr uint32_t clBtnText = 0x80000012;
constexpr uint32_t clWindow = 0x80000005;
constexpr uint32_t clWindowText = 0x80000008;
constexpr uint32_t clBlue = 0x00FF0000;
constexpr uint32_t clYellow = 0x0000FFFF;
constexpr uint32_t clGray = 0x00808080;
constexpr uint32_t clWhite = 0x00FFFFFF;

// clNone gives a transparent colour; an unknown system colour black.
QColor ToQColor(uint32_t tcolor, const QPalette& palette);

}  // namespace tansa2::platform
