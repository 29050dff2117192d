#pragma once
// How the result list paints: its data cells (the row colours, the shortened
// path, the highlighted match, the optional cell lines) and its header row.
#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <functional>
#include <string>

namespace tansa2 {

class TKyGrepResult;

class TGrepResultDelegate : public QAbstractItemDelegate {
 public:
  explicit TGrepResultDelegate(TKyGrepResult& list);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  void PaintLineText(QPainter& painter, int index, const QRect& rect, const QColor& background,
                     const QColor& text, bool selected, bool focused) const;

  TKyGrepResult& list_;
  mutable std::string lineBuffer_;  // reused for the line text while painting
};

// The header row: the captions on the fixed colour, with cell lines. Its
// borders size the columns; a double-click on it counts as one on the list.
class TGrepResultHeader : public QHeaderView {
 public:
  explicit TGrepResultHeader(TKyGrepResult& list);

  std::function<void()> OnLeftRelease;
  std::function<void()> OnDoubleClick;

  QSize sizeHint() const override;  // a line of the list's font, and a little room

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TKyGrepResult& list_;
};

}  // namespace tansa2
