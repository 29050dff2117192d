#include "results/ui/GrepResultDelegate.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/CodePage.h"
#include "platform/ui/Colors.h"
#include "platform/ui/QtText.h"
#include "results/ShortenPath.h"
#include "results/ui/KyGrepResult.h"

namespace tansa2 {
namespace {

using platform::ToQColor;
using platform::ToQString;

constexpr int kTextInset = 3;  // text keeps this far from both cell edges
// Bytes of line text converted beyond the visible width; a character is at
// least one pixel per byte wide, so the rest can't show.
constexpr size_t kTextSlack = 64;
constexpr int kTextFlags = Qt::AlignVCenter | Qt::TextSingleLine;

// The first character boundary at or after `pos` (at most the text's end).
size_t BoundaryFrom(std::string_view text, size_t pos) {
  size_t i = 0;
  while (i < pos && i < text.size()) i += platform::CharLength(text, i);
  return i;
}

struct TByteRange {
  size_t begin = 0;
  size_t end = 0;
};

// The match's bytes in `text`, widened to whole characters, cut at the end of
// the text; empty when the position or length are out of range.
TByteRange MatchRange(std::string_view text, int pos, int len) {
  if (pos < 1 || len < 1 || static_cast<size_t>(pos - 1) >= text.size()) return {};
  const size_t first = static_cast<size_t>(pos - 1);
  const size_t last = first + std::min(static_cast<size_t>(len), text.size() - first);
  size_t i = 0;
  while (i < first) {
    const size_t next = i + platform::CharLength(text, i);
    if (next > first) break;  // `first` is a trail byte: the whole character is taken
    i = next;
  }
  return {i, BoundaryFrom(text, last)};
}

// A line along the cell's bottom pixel row and one along its right pixel column.
void PaintCellLines(QPainter& painter, const QRect& rect, const QPalette& palette) {
  painter.setPen(ToQColor(platform::clBtnShadow, palette));
  painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
  painter.drawLine(rect.right(), rect.bottom() + 1, rect.right(), rect.top());
}

}  // namespace

TGrepResultDelegate::TGrepResultDelegate(TKyGrepResult& list) : QAbstractItemDelegate(&list), list_(list) {}

QSize TGrepResultDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  return {0, list_.RowHeight()};
}

void TGrepResultDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  const QRect& rect = option.rect;
  const int row = index.row();
  const bool selected = row == list_.SelectedIndex();
  const bool focused = list_.hasFocus();
  const QPalette& pal = list_.palette();
  const QColor text = selected && focused ? ToQColor(list_.ColorSel(), pal) : ToQColor(platform::clWindowText, pal);
  const QColor background = !selected ? ToQColor(list_.Color(), pal)
                            : focused ? ToQColor(list_.ColorSelBk(), pal)
                                      : ToQColor(platform::clBtnFace, pal);
  painter->fillRect(rect, background);
  const QRect textRect = rect.adjusted(kTextInset, 0, -kTextInset, 0);
  painter->setPen(text);
  const TGrepResultRows& rows = list_.Rows();
  if (index.column() == 0) {
    const QFontMetrics metrics(list_.font());
    const std::string shown = ShortenPath(list_.Model().ShownFileName(row), rect.width() - 2 * kTextInset,
                                          [&metrics](std::string_view part) {
                                            return metrics.horizontalAdvance(platform::NameToQString(part));
                                          });
    painter->drawText(textRect, kTextFlags | Qt::AlignLeft, platform::NameToQString(shown));
  } else if (index.column() == 1) {
    painter->drawText(textRect, kTextFlags | Qt::AlignRight, ToQString(rows.LineNumText(row)));
  } else {
    PaintLineText(*painter, row, rect, background, text, selected, focused);
  }
  if (list_.ShowGridLine()) PaintCellLines(*painter, rect, pal);
}

// The line is drawn in three pieces, before, in and after the match, each
// converted on its own, so the highlight covers exactly the matched
// characters whatever their widths.
void TGrepResultDelegate::PaintLineText(QPainter& painter, int index, const QRect& rect, const QColor& background,
                                        const QColor& text, bool selected, bool focused) const {
  const TGrepResultRows& rows = list_.Rows();
  const std::string_view line = rows.Line(index);
  const QRect textRect = rect.adjusted(kTextInset, 0, -kTextInset, 0);
  if (line.empty() || textRect.width() <= 0) return;

  const int visibleRight = std::min(textRect.right(), list_.viewport()->width());
  const size_t budget = static_cast<size_t>(std::max(0, visibleRight - textRect.left() + 1)) + kTextSlack;
  lineBuffer_.assign(line.substr(0, BoundaryFrom(line, budget)));
  std::replace(lineBuffer_.begin(), lineBuffer_.end(), '\t', ' ');  // a tab shows as one space
  const std::string_view shown = lineBuffer_;
  const TByteRange match = MatchRange(shown, rows.MatchPos(index), rows.MatchLen(index));

  const QFontMetrics metrics(list_.font());
  int x = textRect.left();
  auto drawPiece = [&](std::string_view piece) {
    if (piece.empty() || x > textRect.right()) return 0;
    const QString qpiece = ToQString(piece);
    painter.drawText(QRect(x, rect.top(), textRect.right() - x + 1, rect.height()), kTextFlags | Qt::AlignLeft,
                     qpiece);
    return metrics.horizontalAdvance(qpiece);
  };

  x += drawPiece(shown.substr(0, match.begin));
  if (match.end > match.begin && x <= textRect.right()) {
    const QPalette& pal = list_.palette();
    QColor matchBackground = ToQColor(platform::clGray, pal);
    QColor matchText = ToQColor(platform::clWhite, pal);
    if (!selected || focused) {
      matchBackground = list_.ColorMatchBk() == platform::clNone ? background : ToQColor(list_.ColorMatchBk(), pal);
      matchText = list_.ColorMatch() == platform::clNone ? text : ToQColor(list_.ColorMatch(), pal);
    }
    const QString qmatched = ToQString(shown.substr(match.begin, match.end - match.begin));
    const int width = metrics.horizontalAdvance(qmatched);
    painter.fillRect(QRect(x, rect.top(), width, rect.height()).intersected(textRect), matchBackground);
    painter.setPen(matchText);
    painter.drawText(QRect(x, rect.top(), textRect.right() - x + 1, rect.height()), kTextFlags | Qt::AlignLeft,
                     qmatched);
    painter.setPen(text);
    x += width;
  }
  drawPiece(shown.substr(match.end));
}

TGrepResultHeader::TGrepResultHeader(TKyGrepResult& list) : QHeaderView(Qt::Horizontal, &list), list_(list) {
  setStretchLastSection(false);
  setSectionsClickable(false);
  setHighlightSections(false);
  setMinimumSectionSize(0);
  setSectionResizeMode(QHeaderView::Interactive);
}

QSize TGrepResultHeader::sizeHint() const {
  return {QHeaderView::sizeHint().width(), QFontMetrics(list_.font()).height() + 6};
}

void TGrepResultHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  const QPalette& pal = list_.palette();
  painter->fillRect(rect, ToQColor(list_.ColorFixed(), pal));
  const std::vector<std::string>& captions = list_.TitleCaptions();
  if (static_cast<size_t>(logicalIndex) < captions.size()) {
    // The caption pairs with the header's face, which is a button colour.
    painter->setFont(list_.font());
    painter->setPen(ToQColor(platform::clBtnText, pal));
    painter->drawText(rect.adjusted(kTextInset, 0, -kTextInset, 0),
                      kTextFlags | (logicalIndex == 1 ? Qt::AlignRight : Qt::AlignLeft),
                      ToQString(captions[logicalIndex]));
  }
  PaintCellLines(*painter, rect, pal);
}

void TGrepResultHeader::mouseReleaseEvent(QMouseEvent* event) {
  QHeaderView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && OnLeftRelease) OnLeftRelease();
}

// Not the header's own: a double-click on a border would size the column to its texts.
void TGrepResultHeader::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnDoubleClick) OnDoubleClick();
}

}  // namespace tansa2
