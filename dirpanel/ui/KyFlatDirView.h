#pragma once
// The folder tree of the directory panel and of the folder-selection
// dialog: the computer at the root, below it the home folder, "/" and the
// volumes, each folder listed on its first expansion and kept until the
// next Rebuild. The owner hears of every change of the selected folder
// through OnChange. Labels can't be edited: the tree never renames a folder.
#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/Colors.h"
#include "platform/ui/ShellNamespace.h"

namespace tansa2 {

class TKyFlatDirView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TKyFlatDirView(QWidget* parent = nullptr);

  // Empties the tree and fills it anew: the root, expanded, with its
  // children; no node is selected.
  void Rebuild();
  // Selects the node of the directory `path`, expanding every node on the
  // way and the node itself. A path that names no directory, the empty one
  // included, leaves the selection as it is.
  void SetSelectedDir(const std::string& path);
  // GetNodeDir of the selected node.
  std::string GetSelectedDir() const;
  // The node's path, or the name of a node without one; empty for none.
  static std::string GetNodeDir(const QTreeWidgetItem* node);

  uint32_t BorderColor() const { return borderColor_; }
  void SetBorderColor(uint32_t color);
  bool NoBorder() const { return noBorder_; }
  void SetNoBorder(bool noBorder);

  const platform::TShellNamespace& Namespace() const { return shell_; }

  // After the selection has moved to another node.
  std::function<void(const std::string& path)> OnChange;

 protected:
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

 private:
  class TNode;

  TNode* NewNode(platform::TShellItem item);
  // Lists the node's folder on its first expansion; a folder with nothing
  // to show loses its expand button.
  void Populate(TNode* node);
  void Expand(TNode* node);
  TNode* FindChildNode(TNode* node, const platform::TShellItem& item);
  // Undoes a move of the selection to a node that may not be selected.
  void GuardSelection(const QPersistentModelIndex& target);
  void ApplyBorder();

  platform::TShellNamespace shell_;
  uint32_t borderColor_ = platform::clBtnShadow;
  bool noBorder_ = false;
  // The node the selection last moved to with the guard's consent.
  QPersistentModelIndex selected_;
};

}  // namespace tansa2
