#include "platform/ui/KeyCodes.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QKeySequence>

namespace tansa2::platform {
namespace {

TShortCut Code(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  return ShortCutFromKeyEvent(QKeyEvent(QEvent::KeyPress, key, modifiers));
}

TEST(KeyCodesTest, KeyPressesGiveVirtualKeyCodes) {
  EXPECT_EQ(Code(Qt::Key_F3), 114);
  EXPECT_EQ(Code(Qt::Key_Escape), 27);
  EXPECT_EQ(Code(Qt::Key_Left, Qt::ControlModifier), 0x4025);
  EXPECT_EQ(Code(Qt::Key_O, Qt::ControlModifier), 0x404F);
  EXPECT_EQ(Code(Qt::Key_Delete, Qt::ControlModifier), 0x402E);
  EXPECT_EQ(Code(Qt::Key_O, Qt::ControlModifier | Qt::AltModifier), 0xC04F);
  EXPECT_EQ(Code(Qt::Key_Backtab, Qt::ShiftModifier), 0x2009);
  EXPECT_EQ(Code(Qt::Key_Return), 0x0D);
  EXPECT_EQ(Code(Qt::Key_Enter, Qt::KeypadModifier), 0x0D);
  // Main and keypad digits differ; a shifted digit is still its key.
  EXPECT_EQ(Code(Qt::Key_5), 0x35);
  EXPECT_EQ(Code(Qt::Key_5, Qt::KeypadModifier), 0x65);
  EXPECT_EQ(Code(Qt::Key_Exclam, Qt::ShiftModifier), 0x2031);
  EXPECT_EQ(Code(Qt::Key_Semicolon), 0xBA);
  EXPECT_EQ(Code(Qt::Key_Asterisk, Qt::KeypadModifier), 0x6A);
  // Keys without a code, such as a typed character with no key.
  EXPECT_EQ(Code(0), 0);
  EXPECT_EQ(Code(Qt::Key_VolumeUp), 0);
}

TEST(KeyCodesTest, CodesGoBackToTheSameKeys) {
  for (TShortCut code : {0x72, 0x1B, 0x4025, 0x4027, 0x404F, 0x402E, 0x4053, 0x79, 0x65, 0x35,
                         0xBA, 0x6A, 0xC04F, 0x2009}) {
    const QKeyCombination combination = KeyCombinationFromShortCut(code);
    EXPECT_EQ(ShortCutFromKeyEvent(QKeyEvent(QEvent::KeyPress, combination.key(),
                                             combination.keyboardModifiers())),
              code)
        << code;
  }
  EXPECT_EQ(KeyCombinationFromShortCut(0x07).key(), Qt::Key_unknown);
  EXPECT_EQ(QKeySequence(KeyCombinationFromShortCut(0x402E)).toString(QKeySequence::PortableText),
            "Ctrl+Del");
}

}  // namespace
}  // namespace tansa2::platform
