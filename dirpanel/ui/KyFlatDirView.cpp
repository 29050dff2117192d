#include "dirpanel/ui/KyFlatDirView.h"

#include <QHeaderView>
#include <QMetaObject>

#include "platform/ui/QtText.h"

namespace tansa2 {

using platform::TShellItem;
using platform::TShellKind;
using platform::TShellNamespace;

class TKyFlatDirView::TNode : public QTreeWidgetItem {
 public:
  explicit TNode(TShellItem shellItem) : QTreeWidgetItem(UserType), item(std::move(shellItem)) {}

  TShellItem item;
  bool populated = false;
};

namespace {

constexpr int kIndent = 19;
constexpr int kIconSize = 16;

}  // namespace

TKyFlatDirView::TKyFlatDirView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  // Long names scroll sideways instead of being cut short.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setIndentation(kIndent);
  setIconSize(QSize(kIconSize, kIconSize));
  setRootIsDecorated(false);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  setFocusPolicy(Qt::StrongFocus);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { Populate(static_cast<TNode*>(item)); });
  ApplyBorder();
}

TKyFlatDirView::TNode* TKyFlatDirView::NewNode(TShellItem item) {
  auto* node = new TNode(std::move(item));
  node->setText(0, platform::NameToQString(node->item.name));
  node->setIcon(0, shell_.Icon(node->item));
  node->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  node->setChildIndicatorPolicy(node->item.hasSubFolders ? QTreeWidgetItem::ShowIndicator
                                                         : QTreeWidgetItem::DontShowIndicator);
  return node;
}

void TKyFlatDirView::Rebuild() {
  clear();
  selected_ = QPersistentModelIndex();
  auto* root = NewNode(TShellNamespace::Root());
  addTopLevelItem(root);
  Expand(root);
}

void TKyFlatDirView::Populate(TNode* node) {
  if (node->populated) return;
  node->populated = true;
  QList<QTreeWidgetItem*> children;
  if (auto items = shell_.Children(node->item)) {
    children.reserve(static_cast<qsizetype>(items->size()));
    for (TShellItem& item : *items)
      if (item.folder) children.append(NewNode(std::move(item)));
  }
  node->addChildren(children);
  node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TKyFlatDirView::Expand(TNode* node) {
  Populate(node);
  node->setExpanded(true);
}

TKyFlatDirView::TNode* TKyFlatDirView::FindChildNode(TNode* node, const TShellItem& item) {
  Expand(node);
  for (int i = 0; i < node->childCount(); ++i) {
    auto* child = static_cast<TNode*>(node->child(i));
    if (TShellNamespace::Compare(child->item, item) == 0) return child;
  }
  return nullptr;
}

void TKyFlatDirView::SetSelectedDir(const std::string& path) {
  auto* node = static_cast<TNode*>(topLevelItem(0));
  if (!node) return;
  Expand(node);
  const auto chain = shell_.Parse(path);
  if (!chain) return;
  for (const TShellItem& item : *chain) {
    TNode* child = FindChildNode(node, item);
    if (!child) break;
    node = child;
  }
  Expand(node);
  setCurrentItem(node);
  // As much of the opened folder as fits, with the folder itself in view.
  if (node->childCount() > 0) scrollToItem(node->child(node->childCount() - 1));
  scrollToItem(node);
}

std::string TKyFlatDirView::GetSelectedDir() const {
  return GetNodeDir(selected_.isValid() ? itemFromIndex(selected_) : nullptr);
}

std::string TKyFlatDirView::GetNodeDir(const QTreeWidgetItem* node) {
  if (!node || node->type() != QTreeWidgetItem::UserType) return std::string();
  const TShellItem& item = static_cast<const TNode*>(node)->item;
  return item.path.empty() ? item.name : item.path;
}

void TKyFlatDirView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QTreeWidget::selectionChanged(selected, deselected);
  const QModelIndexList indexes = selectionModel()->selectedIndexes();
  if (indexes.isEmpty() || indexes.first() == selected_) return;
  const QModelIndex target = indexes.first();
  if (TShellNamespace::IsGone(static_cast<TNode*>(itemFromIndex(target))->item)) {
    // The view is in the middle of moving the selection: undo the move
    // once it is done.
    QMetaObject::invokeMethod(
        this, [this, target = QPersistentModelIndex(target)] { GuardSelection(target); },
        Qt::QueuedConnection);
    return;
  }
  selected_ = target;
  if (OnChange) OnChange(GetSelectedDir());
}

void TKyFlatDirView::GuardSelection(const QPersistentModelIndex& target) {
  if (!target.isValid() || !selectionModel()->isSelected(target)) return;
  auto* node = static_cast<TNode*>(itemFromIndex(target));
  QTreeWidgetItem* parent = node->parent();
  if (node->item.kind != TShellKind::Directory) {
    // A place whose folder has gone, like a drive without its medium: its
    // parent is selected instead.
    setCurrentItem(parent);
    return;
  }
  // A directory removed behind the tree's back: its node goes, and the
  // selection stays where it was, unless it was inside the removed folder.
  QTreeWidgetItem* stay = selected_.isValid() ? itemFromIndex(selected_) : nullptr;
  for (QTreeWidgetItem* up = stay; up; up = up->parent())
    if (up == node) stay = parent;
  setCurrentItem(stay);
  delete node;
}

void TKyFlatDirView::SetBorderColor(uint32_t color) {
  borderColor_ = color;
  ApplyBorder();
}

void TKyFlatDirView::SetNoBorder(bool noBorder) {
  noBorder_ = noBorder;
  ApplyBorder();
}

// A plain frame is drawn in the palette's window-text colour, which the
// tree's own text doesn't use.
void TKyFlatDirView::ApplyBorder() {
  if (noBorder_) {
    setFrameStyle(QFrame::NoFrame);
    return;
  }
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  QPalette colors = palette();
  colors.setColor(QPalette::WindowText, platform::ToQColor(borderColor_, colors));
  setPalette(colors);
}

}  // namespace tansa2
