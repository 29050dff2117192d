#include "session/ui/MainMenus.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace tansa2 {

std::vector<TShortCutMenu> AddMenus(QMainWindow& window, TCommandList& commands, const std::vector<TMenuEntry>& menus) {
  std::vector<TShortCutMenu> built;
  for (const TMenuEntry& entry : menus) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromUtf8(entry.Caption));
    menu->menuAction()->setObjectName(QString::fromLatin1(entry.Name));
    menu->menuAction()->setToolTip(QString::fromUtf8(entry.Hint));
    menu->menuAction()->setStatusTip(QString::fromUtf8(entry.Hint));
    AddMenuItems(*menu, entry.Items);
    QObject::connect(menu, &QMenu::aboutToShow, &window,
                     [&commands, category = entry.Category] { commands.Refresh(category); });
    TShortCutMenu& shortCuts = built.emplace_back(TShortCutMenu{menu->menuAction(), {}});
    for (TKyCommand* command : entry.Items)
      if (command) shortCuts.Commands.push_back(command);
  }
  return built;
}

}  // namespace tansa2
