#pragma once
// The help window of the editor's parameter template: the keywords, and a
// table of templates for well-known editors; a double-click on a row chooses
// its template and closes the window with OK.
#include <QDialog>
#include <string>

class QTreeWidget;

namespace tansa2 {

class TFormCmdLineHelp : public QDialog {
  Q_OBJECT

 public:
  // Takes the font of `parent`, the dialog that opens it.
  explicit TFormCmdLineHelp(QWidget* parent = nullptr);

  // The chosen template in CP932; empty unless the window closed with OK.
  const std::string& CmdLine() const { return cmdLine_; }

 private:
  QTreeWidget* ListViewEditor = nullptr;
  std::string cmdLine_;
};

}  // namespace tansa2
