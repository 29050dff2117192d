#pragma once
// The main window's menus from one table: the menu bar, whose menus
// refresh their commands as they open, and the lists of items the context
// menu and the tool bar show. The shortcut categories the settings keep are
// the menus of the same table.
#include <vector>

#include "session/ui/Commands.h"

class QMainWindow;

namespace tansa2 {

// A list of items; nullptr stands for a separator.
using TMenuItems = std::vector<TKyCommand*>;

// One menu of the menu bar: its header command and its items.
struct TMenuEntry {
  const char* Name;
  const char* Caption;
  const char* Hint;
  TCommandCategory Category;
  TMenuItems Items;
};

// A menu as built: its header command and its commands, separators left out.
struct TShortCutMenu {
  QAction* Popup;
  std::vector<TKyCommand*> Commands;
};

// Adds the menus to the menu bar of `window`; opening one refreshes the
// commands of its category in `commands`.
std::vector<TShortCutMenu> AddMenus(QMainWindow& window, TCommandList& commands, const std::vector<TMenuEntry>& menus);

// Adds the items to a menu or a tool bar.
template <typename TBar>
void AddMenuItems(TBar& bar, const TMenuItems& items) {
  for (TKyCommand* command : items) {
    if (command) bar.addAction(command->Action);
    else bar.addSeparator();
  }
}

}  // namespace tansa2
