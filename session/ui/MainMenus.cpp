#include "session/ui/MainMenus.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace tansa2 {

std::vector<TShortCutMenu> AddMenus(QMainWindow& window, TCommandList& commands, const std::vector<TMenuSpec>& menus) {
  std::vector<TShortCutMenu> built;
  for (const TMenuSpec& spec : menus) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromUtf8(spec.Caption));
    menu->menuAction()->setObjectName(QString::fromLatin1(spec.Name));
    menu->menuAction()->setToolTip(QString::fromUtf8(spec.Hint));
    menu->menuAction()->setStatusTip(QString::fromUtf8(spec.Hint));
    AddMenuItems(*menu, spec.Items);
    QObject::connect(menu, &QMenu::aboutToShow, &window,
                     [&commands, category = spec.Category] { commands.Refresh(category); });
    TShortCutMenu& shortCuts = built.emplace_back(TShortCutMenu{menu->menuAction(), {}});
    for (TKyCommand* command : spec.Items)
      if (command) shortCuts.Commands.push_back(command);
  }
  return built;
}

}  // namespace tansa2
