#include "platform/ui/KeyCodes.h"

#include <QKeyEvent>
#include <array>
#include <utility>

namespace tansa2::platform {
namespace {

struct TKeyPair {
  int qtKey;
  uint8_t vk;
  bool keypad;
};

// Keys outside the letter, digit and function-key ranges. The punctuation
// codes are those of a US layout, where the Windows OEM codes name the keys.
constexpr std::array kKeys{
    TKeyPair{Qt::Key_Backspace, 0x08, false}, TKeyPair{Qt::Key_Tab, 0x09, false},
    TKeyPair{Qt::Key_Backtab, 0x09, false},   TKeyPair{Qt::Key_Clear, 0x0C, false},
    TKeyPair{Qt::Key_Return, 0x0D, false},    TKeyPair{Qt::Key_Enter, 0x0D, true},
    TKeyPair{Qt::Key_Shift, 0x10, false},     TKeyPair{Qt::Key_Control, 0x11, false},
    TKeyPair{Qt::Key_Alt, 0x12, false},       TKeyPair{Qt::Key_Pause, 0x13, false},
    TKeyPair{Qt::Key_CapsLock, 0x14, false},  TKeyPair{Qt::Key_Escape, 0x1B, false},
    TKeyPair{Qt::Key_Space, 0x20, false},     TKeyPair{Qt::Key_PageUp, 0x21, false},
    TKeyPair{Qt::Key_PageDown, 0x22, false},  TKeyPair{Qt::Key_End, 0x23, false},
    TKeyPair{Qt::Key_Home, 0x24, false},      TKeyPair{Qt::Key_Left, 0x25, false},
    TKeyPair{Qt::Key_Up, 0x26, false},        TKeyPair{Qt::Key_Right, 0x27, false},
    TKeyPair{Qt::Key_Down, 0x28, false},      TKeyPair{Qt::Key_Print, 0x2C, false},
    TKeyPair{Qt::Key_Insert, 0x2D, false},    TKeyPair{Qt::Key_Delete, 0x2E, false},
    TKeyPair{Qt::Key_Help, 0x2F, false},      TKeyPair{Qt::Key_Menu, 0x5D, false},
    TKeyPair{Qt::Key_Asterisk, 0x6A, true},   TKeyPair{Qt::Key_Plus, 0x6B, true},
    TKeyPair{Qt::Key_Minus, 0x6D, true},      TKeyPair{Qt::Key_Period, 0x6E, true},
    TKeyPair{Qt::Key_Slash, 0x6F, true},      TKeyPair{Qt::Key_NumLock, 0x90, false},
    TKeyPair{Qt::Key_ScrollLock, 0x91, false}, TKeyPair{Qt::Key_Semicolon, 0xBA, false},
    TKeyPair{Qt::Key_Colon, 0xBA, false},     TKeyPair{Qt::Key_Equal, 0xBB, false},
    TKeyPair{Qt::Key_Plus, 0xBB, false},      TKeyPair{Qt::Key_Comma, 0xBC, false},
    TKeyPair{Qt::Key_Less, 0xBC, false},      TKeyPair{Qt::Key_Minus, 0xBD, false},
    TKeyPair{Qt::Key_Underscore, 0xBD, false}, TKeyPair{Qt::Key_Period, 0xBE, false},
    TKeyPair{Qt::Key_Greater, 0xBE, false},   TKeyPair{Qt::Key_Slash, 0xBF, false},
    TKeyPair{Qt::Key_Question, 0xBF, false},  TKeyPair{Qt::Key_QuoteLeft, 0xC0, false},
    TKeyPair{Qt::Key_AsciiTilde, 0xC0, false}, TKeyPair{Qt::Key_BracketLeft, 0xDB, false},
    TKeyPair{Qt::Key_BraceLeft, 0xDB, false}, TKeyPair{Qt::Key_Backslash, 0xDC, false},
    TKeyPair{Qt::Key_Bar, 0xDC, false},       TKeyPair{Qt::Key_BracketRight, 0xDD, false},
    TKeyPair{Qt::Key_BraceRight, 0xDD, false}, TKeyPair{Qt::Key_Apostrophe, 0xDE, false},
    TKeyPair{Qt::Key_QuoteDbl, 0xDE, false},
};

// The shifted digits of a US layout, so Shift+1 is still the key 1.
constexpr std::array kShiftedDigits{Qt::Key_ParenRight, Qt::Key_Exclam,      Qt::Key_At,
                                    Qt::Key_NumberSign, Qt::Key_Dollar,      Qt::Key_Percent,
                                    Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                                    Qt::Key_ParenLeft};

uint8_t VirtualKey(int key, bool keypad) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint8_t>(0x41 + key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return static_cast<uint8_t>((keypad ? 0x60 : 0x30) + key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint8_t>(0x70 + key - Qt::Key_F1);
  for (const TKeyPair& pair : kKeys)
    if (pair.qtKey == key && pair.keypad == keypad) return pair.vk;
  if (!keypad) {
    for (size_t i = 0; i < kShiftedDigits.size(); ++i)
      if (kShiftedDigits[i] == key) return static_cast<uint8_t>(0x30 + i);
  }
  // A keypad key Qt doesn't mark specially is the same as the main key.
  return keypad ? VirtualKey(key, false) : 0;
}

}  // namespace

TShortCut ShortCutFromKeyEvent(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  const uint8_t vk = VirtualKey(event.key(), modifiers.testFlag(Qt::KeypadModifier));
  if (vk == 0) return 0;
  TShortCut code = vk;
  if (modifiers.testFlag(Qt::ShiftModifier) || event.key() == Qt::Key_Backtab) code |= scShift;
  if (modifiers.testFlag(Qt::ControlModifier)) code |= scCtrl;
  if (modifiers.testFlag(Qt::AltModifier)) code |= scAlt;
  return code;
}

QKeyCombination KeyCombinationFromShortCut(TShortCut code) {
  const int vk = code & 0xFF;
  Qt::KeyboardModifiers modifiers;
  if (code & scShift) modifiers |= Qt::ShiftModifier;
  if (code & scCtrl) modifiers |= Qt::ControlModifier;
  if (code & scAlt) modifiers |= Qt::AltModifier;
  int key = Qt::Key_unknown;
  if (vk >= 0x41 && vk <= 0x5A) key = Qt::Key_A + vk - 0x41;
  else if (vk >= 0x30 && vk <= 0x39) key = Qt::Key_0 + vk - 0x30;
  else if (vk >= 0x60 && vk <= 0x69) {
    key = Qt::Key_0 + vk - 0x60;
    modifiers |= Qt::KeypadModifier;
  } else if (vk >= 0x70 && vk <= 0x87) key = Qt::Key_F1 + vk - 0x70;
  else {
    for (const TKeyPair& pair : kKeys) {
      if (pair.vk == vk) {
        key = pair.qtKey;
        if (pair.keypad) modifiers |= Qt::KeypadModifier;
        break;
      }
    }
  }
  return QKeyCombination(modifiers, static_cast<Qt::Key>(key));
}

}  // namespace tansa2::platform
