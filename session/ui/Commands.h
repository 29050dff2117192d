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
#include <vector>

#include "platform/ui/KeyCodes.h"

namespace tansa2 {

// The menus; every command belongs to the one it stands in.
enum class TCommandCategory { File, Grep, Result, Tool, Help };

struct TKyCommand {
  QAction* Action = nullptr;
  QString Caption;
  TCommandCategory Category = TCommandCategory::File;
  platform::TShortCut ShortCut = 0;
  std::vector<platform::TShortCut> SecondaryShortCuts;
  std::function<bool()> EnabledRule;

  bool Has(platform::TShortCut code) const;
};

class TCommandList {
 public:
  // Creates the command's action under `owner`; the menu text shows the
  // primary shortcut after a tab.
  TKyCommand& Add(QObject* owner, const char* name, const QString& caption, const QString& hint,
                  TCommandCategory category, platform::TShortCut shortCut,
                  std::function<bool()> enabledRule);
  void SetShortCut(TKyCommand& command, platform::TShortCut shortCut);

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

// Shortcut text as menus show it: F3, Esc, Ctrl+Left.
QString ShortCutText(platform::TShortCut code);

}  // namespace tansa2
