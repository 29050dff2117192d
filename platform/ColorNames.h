#pragma once
// Colour values as the settings hold them, and their names: 0x00BBGGRR for a
// plain colour, 0x80000000 + index for a system colour, clNone for none.
#include <cstdint>
#include <string>
#include <string_view>

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

// The colour's name when it has one, else "$" and eight upper-case
// hexadecimal digits.
std::string ColorToString(uint32_t color);
// A colour name in any letter case; false for anything else.
bool ColorByName(std::string_view name, uint32_t& color);

}  // namespace tansa2::platform
