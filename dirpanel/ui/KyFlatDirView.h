#pragma once
// The directory panel's tree. For now it shows the root and the one
// directory last selected; the owner hears of every change of the selected
// directory through OnChange.
#include <QTreeWidget>
#include <functional>
#include <string>

namespace tansa2 {

class TKyFlatDirView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TKyFlatDirView(QWidget* parent = nullptr);

  // Empties the tree down to its root.
  void Rebuild();
  // Selects `path` when it names a directory; a directory that can't be
  // resolved leaves the selection as it is.
  void SetSelectedDir(const std::string& path);
  // Empty when nothing is selected.
  std::string GetSelectedDir() const { return selectedDir_; }

  std::function<void(const std::string& path)> OnChange;

 private:
  QTreeWidgetItem* root_ = nullptr;
  std::string selectedDir_;
};

}  // namespace tansa2
