#include "results/ui/GrepResultModel.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/ui/QtText.h"

namespace tansa2 {

TGrepResultModel::TGrepResultModel(QObject* parent)
    : QAbstractTableModel(parent),
      captions_{platform::Utf8ToCp932("ファイル名"), platform::Utf8ToCp932("行番号"),
                platform::Utf8ToCp932("内容")} {}

void TGrepResultModel::ShowRows(bool replaced) {
  if (!replaced && shown_ == rows_.DataCount()) return;
  const int before = ShownRows();
  const int after = std::max(1, rows_.DataCount());
  const bool blankFilled = shown_ == 0;
  if (after < before) {
    beginRemoveRows({}, after, before - 1);
    shown_ = rows_.DataCount();
    endRemoveRows();
  } else if (after > before) {
    beginInsertRows({}, before, after - 1);
    shown_ = rows_.DataCount();
    endInsertRows();
  }
  shown_ = rows_.DataCount();
  if (replaced || blankFilled)
    emit dataChanged(index(0, 0), index(std::min(before, after) - 1, kColCount - 1));
}

void TGrepResultModel::SetCaptions(std::vector<std::string> captions) {
  captions_ = std::move(captions);
  emit headerDataChanged(Qt::Horizontal, 0, kColCount - 1);
}

void TGrepResultModel::SetFileNameOnly(bool value) {
  fileNameOnly_ = value;
  emit dataChanged(index(0, 0), index(ShownRows() - 1, 0));
}

std::string_view TGrepResultModel::ShownFileName(int index) const {
  const std::string_view path = rows_.FileName(index);
  const size_t slash = fileNameOnly_ ? path.rfind('/') : std::string_view::npos;
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

QVariant TGrepResultModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const int row = index.row();
  switch (index.column()) {
    case 0:
      return platform::NameToQString(ShownFileName(row));
    case 1:
      return platform::ToQString(rows_.LineNumText(row));
    default:
      return platform::ToQString(rows_.Line(row));
  }
}

QVariant TGrepResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
      static_cast<size_t>(section) >= captions_.size())
    return {};
  return platform::ToQString(captions_[section]);
}

Qt::ItemFlags TGrepResultModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

}  // namespace tansa2
