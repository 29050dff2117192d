#include "dirpanel/ui/KyFlatDirView.h"

#include <QFileIconProvider>
#include <QHeaderView>

#include "platform/FileIO.h"
#include "platform/ui/QtText.h"

namespace tansa2 {

TKyFlatDirView::TKyFlatDirView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setIndentation(16);
  setIconSize(QSize(16, 16));
  Rebuild();
}

void TKyFlatDirView::Rebuild() {
  clear();
  selectedDir_.clear();
  QFileIconProvider icons;
  root_ = new QTreeWidgetItem(this, {QStringLiteral("コンピュータ")});
  root_->setIcon(0, icons.icon(QFileIconProvider::Computer));
}

void TKyFlatDirView::SetSelectedDir(const std::string& path) {
  if (path.empty() || !platform::DirectoryExists(path) || path == selectedDir_) return;
  selectedDir_ = path;
  while (root_->childCount() > 0) delete root_->takeChild(0);
  auto* item = new QTreeWidgetItem(root_, {platform::ToQString(path)});
  item->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Folder));
  expandItem(root_);
  setCurrentItem(item);
  if (OnChange) OnChange(selectedDir_);
}

}  // namespace tansa2
