#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <algorithm>
#include <set>

#include "controls/ui/ColorPickerButton.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

QAction* ColorAction(const TColorPickerButton& button, uint32_t color) {
  for (QAction* action : button.findChildren<QAction*>())
    if (action->data().isValid() && action->data().toUInt() == color) return action;
  return nullptr;
}

TEST(ColorPickerButtonTest, KeepsEveryKindOfValue) {
  testing::QtApp();
  TColorPickerButton button;
  int changes = 0;
  button.OnChange = [&] { ++changes; };
  for (uint32_t color : {0x00123456u, 0x8000000Fu, 0x1FFFFFFFu, 0x20000000u, 0x00000000u}) {
    button.SetColor(color);
    EXPECT_EQ(button.Color(), color);
  }
  button.SetColor(0x8000000D);
  EXPECT_EQ(button.toolTip(), QStringLiteral("clHighlight"));
  button.SetColor(0x00123456);
  EXPECT_EQ(button.toolTip(), QStringLiteral("$00123456"));
  EXPECT_EQ(changes, 0);  // only the user's choice reports a change
}

TEST(ColorPickerButtonTest, PaletteHoldsStandardAndNamedSystemColours) {
  testing::QtApp();
  TColorPickerButton button;
  std::set<uint32_t> offered;
  for (QAction* action : button.findChildren<QAction*>())
    if (action->data().isValid()) {
      EXPECT_TRUE(offered.insert(action->data().toUInt()).second);
    }

  const uint32_t standard[] = {0x00000000, 0x000000FF, 0x00FFFFFF, 0x00C0DCC0, 0x00A4A0A0};
  for (uint32_t color : standard) EXPECT_TRUE(offered.count(color)) << std::hex << color;
  // Thirty system colours have names; index 25 has none.
  EXPECT_EQ(std::count_if(offered.begin(), offered.end(), [](uint32_t c) { return c & 0x80000000; }), 30);
  EXPECT_FALSE(offered.count(0x80000019));
  EXPECT_EQ(offered.size(), 50u);

  QAction* window = ColorAction(button, 0x80000005);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->text(), QStringLiteral("clWindow"));

  // The palette opens with its prompt, which chooses nothing, and ends with
  // the entry for any other colour.
  const QList<QAction*> entries = button.menu()->actions();
  ASSERT_GE(entries.size(), 2);
  EXPECT_EQ(entries.front()->text(), QString::fromUtf8("選択してください"));
  EXPECT_FALSE(entries.front()->isEnabled());
  EXPECT_EQ(entries.back()->text(), QString::fromUtf8("その他"));
  EXPECT_EQ(entries.back(), testing::FindChild<QAction>(button, "ActionOtherColor"));
}

TEST(ColorPickerButtonTest, ChoosingFromThePaletteSetsTheColourAndReports) {
  testing::QtApp();
  TColorPickerButton button;
  button.SetColor(0x000000FF);
  int changes = 0;
  button.OnChange = [&] { ++changes; };
  for (uint32_t color : {0x00FF0000u, 0x80000008u}) {
    QAction* action = ColorAction(button, color);
    ASSERT_NE(action, nullptr);
    action->trigger();
    EXPECT_EQ(button.Color(), color);
  }
  EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace tansa2
