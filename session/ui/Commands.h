#pragma once
// The main window's command list: every command with its shortcuts and the
// rule that enables it. Rules are evaluated only when a menu of commands is
// refreshed; between refreshes a command keeps its state. A key press runs
// the first command in list order that has its shortcut, and only if that
// command is enabled.
#include <QAction>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyNames.h"

namespace tansa2 {

// The menus; every command belongs to the one it stands in.
enum class TCommandCategory { File, Grep, Result, Tool, Help };

struct TKyCommand {
  QAction* Action = nullptr;
  QString Caption;
  QString Hint;  // the command's name where commands are listed
  TCommandCategory Category = TCommandCategory::File;
  platform::TShortCut ShortCut = 0;
  // Further keys that run the command; 0 stands for a text that named no
  // key, which no key press matches.
  std::vector<platform::TShortCut> SecondaryShortCuts;
  std::function<bool()> EnabledRule;

  bool Has(platform::TShortCut code) const;
  // Sets the primary shortcut, which the menu text shows after a tab.
  void SetShortCut(platform::TShortCut shortCut);
};

// A command's shortcut list is comma text of shortcut texts, the primary
// shortcut first. A first text that names no key leaves the command without
// a primary shortcut; the further ones still run it.
void SetActionShortCutText(TKyCommand& command, std::string_view text);
// Empty when the command has no primary shortcut, whatever else it has.
std::string GetActionShortCutText(const TKyCommand& command);

class TCommandList {
 public:
  // Creates the command's action under `owner`.
  TKyCommand& Add(QObject* owner, const char* name, const QString& caption, const QString& hint,
                  TCommandCategory category, platform::TShortCut shortCut,
                  std::function<bool()> enabledRule);

  // Applies the enabling rule of each command of `category`.
  void Refresh(TCommandCategory category);
  void RefreshAll();
  // Runs the first command that has `code` when it is enabled; returns
  // whether the key press was used.
  bool Dispatch(platform::TShortCut code);

  const std::vector<std::unique_ptr<TKyCommand>>& Commands() const { return commands_; }

 private:
  std::vector<std::unique_ptr<TKyCommand>> commands_;
};

}  // namespace tansa2
