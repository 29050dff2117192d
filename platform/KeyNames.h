#pragma once
// Shortcut codes keep the Windows virtual-key values: the low byte is the
// key, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt; 0 is no shortcut.
#include <cstdint>
#include <string>

namespace tansa2::platform {

using TShortCut = uint16_t;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// The keyboard's name of a virtual key outside the letters, digits, function
// and cursor keys that shortcut texts name themselves (";", "/", "Num *",
// "Pause"); empty for a code that names no key.
std::string KeyName(uint8_t virtualKey);

}  // namespace tansa2::platform
