#pragma once
// Qt's key events as shortcut codes (platform/KeyNames.h), and back.
#include <QKeyCombination>

#include "platform/KeyNames.h"

class QKeyEvent;

namespace tansa2::platform {

// The virtual-key code of a key press with the modifiers held; 0 for a key
// that has no virtual-key code. Shift, Ctrl and Alt alone give their own
// codes 0x10, 0x11 and 0x12.
TShortCut ShortCutFromKeyEvent(const QKeyEvent& event);

// The Qt key combination of a code; Qt::Key_unknown for a code it can't
// express.
QKeyCombination KeyCombinationFromShortCut(TShortCut code);

}  // namespace tansa2::platform
