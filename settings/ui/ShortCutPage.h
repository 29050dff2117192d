#pragma once
// The shortcut page of the preferences dialog: pick a command by menu, catch
// a key combination in a read-only field, add it (asking before it is taken
// from the command that has it), delete, clear and reorder a command's
// shortcuts. Every change goes into the page's own copy of the table at once.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "settings/ShortCutEditing.h"
#include "settings/ShortCutTable.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace tansa2 {

class TShortCutPage : public QWidget {
  Q_OBJECT

 public:
  explicit TShortCutPage(QWidget* parent);

  // Shows the table's first category and its first command.
  void SetTable(const TShortCutTable& table);
  const TShortCutTable& Table() const { return table_; }

  // True while the new-shortcut field has the focus: the dialog then lets
  // Enter, Esc and Ctrl+Tab reach the field instead of acting on them.
  std::function<void(bool capturing)> OnCaptureChange;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void KyFlatComboBoxExShortCutCategoryChange();
  void KyFlatListBoxShortCutCommandClick();
  void KyFlatEditShortCutNewKeyDown(const QKeyEvent& event);
  void pmiTabClick();
  void pmiShiftTabClick();
  void KyFlatButtonShortCutAddClick();
  void KyFlatButtonShortCutDeleteClick();
  void KyFlatButtonShortCutClearClick();
  void KyFlatButtonShortCutUpClick();
  void KyFlatButtonShortCutDownClick();
  void MoveSelected(int step);
  void UpdateShortCutButtons();

  TShortCutPlace SelectedCommand() const;
  std::vector<std::string> CurrentTexts() const;
  std::vector<int> SelectedRows() const;
  void ShowCurrent(const std::vector<std::string>& texts);
  bool ConfirmReplaceShortCut(const std::string& question);

  TShortCutTable table_;

  QComboBox* KyFlatComboBoxExShortCutCategory;
  QListWidget* KyFlatListBoxShortCutCommand;
  QLineEdit* KyFlatEditShortCutNew;
  QMenu* PopupMenuShortCut;
  QAction* pmiTab;
  QAction* pmiShiftTab;
  QPushButton* KyFlatButtonShortCutAdd;
  QListWidget* KyFlatListBoxShortCutCurrent;
  QPushButton* KyFlatButtonShortCutDelete;
  QPushButton* KyFlatButtonShortCutClear;
  QPushButton* KyFlatButtonShortCutUp;
  QPushButton* KyFlatButtonShortCutDown;
};

}  // namespace tansa2
