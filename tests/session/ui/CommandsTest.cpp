#include "session/ui/Commands.h"

#include <gtest/gtest.h>

#include <QObject>

#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

TEST(CommandsTest, ShortCutListsSetThePrimaryAndTheFurtherKeysAndReadBackAsWritten) {
  testing::QtApp();
  const struct {
    const char* text;
    platform::TShortCut primary;
    std::vector<platform::TShortCut> secondary;
    const char* written;
    const char* menuText;
  } cases[] = {
      {"F3,Ctrl+G", 0x72, {0x4047}, "F3,Ctrl+G", "Start\tF3"},
      {"ctrl+o", 0x404F, {}, "Ctrl+O", "Start\tCtrl+O"},
      {"", 0, {}, "", "Start"},
      // A first text that names no key: the further ones still count, but
      // the list reads back empty.
      {"Bogus,Ctrl+G", 0, {0x4047}, "", "Start"},
      // A further text that names no key matches no key press.
      {"F3,Bogus", 0x72, {0}, "F3,", "Start\tF3"},
  };
  QObject owner;
  TCommandList commands;
  TKyCommand& command =
      commands.Add(&owner, "ActionStart", QStringLiteral("Start"), QStringLiteral("hint"), TCommandCategory::Grep, 0,
                   [] { return true; });
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    SetActionShortCutText(command, c.text);
    EXPECT_EQ(command.ShortCut, c.primary);
    EXPECT_EQ(command.SecondaryShortCuts, c.secondary);
    EXPECT_EQ(GetActionShortCutText(command), c.written);
    EXPECT_EQ(command.Action->text(), QString::fromLatin1(c.menuText));
    EXPECT_FALSE(command.Has(0));
  }
}

}  // namespace
}  // namespace tansa2
