#pragma once
// Shortcut codes keep the Windows virtual-key values: the low byte is the
// key, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt. This maps Qt's key events to
// those codes and back.
#include <QKeyCombination>
#include <cstdint>

class QKeyEvent;

namespace tansa2::platform {

using TShortCut = uint16_t;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// The virtual-key code of a key press with the modifiers held; 0 for a key
// that has no virtual-key code. Shift, Ctrl and Alt alone give their own
// codes 0x10, 0x11 and 0x12.
TShortCut ShortCutFromKeyEvent(const QKeyEvent& event);

// The Qt key combination of a code; Qt::Key_unknown for a code it can't
// express.
QKeyCombination KeyCombinationFromShortCut(TShortCut code);

}  // namespace tansa2::platform
