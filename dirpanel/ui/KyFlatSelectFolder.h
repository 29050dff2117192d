#pragma once
// The folder-selection dialog: a prompt, the folder tree, a choice to
// return the folder relative to a base folder, and "選択" / "キャンセル".
// Paths are CP932.
#include <QDialog>
#include <QFont>
#include <string>

class QCheckBox;
class QPushButton;

namespace tansa2 {

class TKyFlatDirView;

// `dir` relative to the folder `base`, both absolute, with a trailing
// separator: "./" for the folder itself, "../x/" for a sibling.
std::string RelativeDirPath(const std::string& dir, const std::string& base);

// The dialog's window; its tree is built when it is created.
class TKyFlatFormSelectFolder : public QDialog {
  Q_OBJECT

 public:
  TKyFlatFormSelectFolder(const QString& caption, const QString& prompt, bool relativePath,
                          QWidget* parent = nullptr);

  // Selects `dir`, made absolute against the current directory.
  void SelectDir(const std::string& dir);
  // The selected folder, relative to `baseDir` when the box is ticked.
  std::string ChosenDir(const std::string& baseDir) const;

  TKyFlatDirView* KyFlatDirView = nullptr;
  QCheckBox* CheckBoxRelativePath = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;
};

class TKyFlatSelectFolder {
 public:
  std::string CaptionString;  // empty: "フォルダ選択"
  std::string TitleString;    // empty: "フォルダを選択してください。"
  std::string SelectDir;      // the folder shown first, and the one chosen
  std::string CurrentDir;     // base of a relative result; empty: the current directory
  bool RelativePath = false;  // offers the relative result
  QFont Font;

  // Shows the dialog over `parent`; true when a folder was chosen.
  bool Execute(QWidget* parent = nullptr);
};

}  // namespace tansa2
