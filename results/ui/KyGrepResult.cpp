#include "results/ui/KyGrepResult.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "platform/CodePage.h"
#include "platform/ui/Colors.h"
#include "platform/ui/QtText.h"
#include "results/RowFormats.h"
#include "results/ShortenPath.h"
#include "results/ui/KyGrepResultAccessible.h"

namespace tansa2 {
namespace {

using platform::ToQColor;
using platform::ToQString;

constexpr int kTextInset = 3;         // text keeps this far from both cell edges
constexpr int kWheelStep = 120;       // wheel delta of one notch
constexpr int kBorderGrip = 2;        // pixels either side of a header border that grab it
constexpr int kMaxColumnWidth = 1 << 20;  // keeps sums of widths from settings in range
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
  TByteRange range;
  size_t i = 0;
  while (i < first) {
    const size_t next = i + platform::CharLength(text, i);
    if (next > first) break;  // `first` is a trail byte: the whole character is taken
    i = next;
  }
  range.begin = i;
  range.end = BoundaryFrom(text, last);
  return range;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

TKyGrepResult::TKyGrepResult(QWidget* parent)
    : QAbstractScrollArea(parent),
      titleCaptions_{platform::Utf8ToCp932("ファイル名"), platform::Utf8ToCp932("行番号"),
                     platform::Utf8ToCp932("内容")},
      colors_{platform::clBtnShadow, platform::clBtnFace, platform::clHighlightText,
              platform::clHighlight, platform::clBlue, platform::clYellow},
      color_(platform::clWindow),
      saveType_(stTag) {
  InstallGrepResultAccessibility();
  // The frame's one pixel keeps the scroll bars inside it; event() paints it.
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setFocusPolicy(Qt::StrongFocus);
  verticalScrollBar()->setTracking(true);
  horizontalScrollBar()->setTracking(true);
  viewport()->setMouseTracking(true);  // the sizing cursor over header borders
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  UpdateScrollBars();
}

int TKyGrepResult::AddData(const TGrepHit& hit) {
  const int index = rows_.AddData(hit);
  ++rowsGeneration_;
  // Under the lock the scroll bars follow at EndUpdate. Otherwise a search
  // adds rows many at a time between two turns of the event loop, and they
  // are shown together at the next turn, as soon as they come but not once
  // a row.
  if (!rows_.Updating() && !addedRowsPending_) {
    addedRowsPending_ = true;
    firstPendingRow_ = index;
    QMetaObject::invokeMethod(this, [this] { ShowAddedRows(); }, Qt::QueuedConnection);
  }
  return index;
}

void TKyGrepResult::ShowAddedRows() {
  if (!addedRowsPending_) return;
  addedRowsPending_ = false;
  UpdateScrollBars();
  // Once the view is full, rows added below it change only the scroll bar.
  if (firstPendingRow_ <= TopIndex() + VisibleRows()) Repaint();
  NotifyRowsReset();
}

void TKyGrepResult::ClearData() {
  rows_.ClearData();
  UpdateScrollBars();
  ClampCurrent();
  Repaint();
  NotifyRowsChanged();
}

void TKyGrepResult::LoadFromFile(const std::string& fileName) {
  rows_.LoadFromFile(fileName);
  UpdateScrollBars();
  ClampCurrent();
  Repaint();
  NotifyRowsChanged();
}

void TKyGrepResult::SelectData(int index) {
  current_ = index;
  DoSelectData(index);
  Repaint();
  NotifyCurrentMoved();
}

void TKyGrepResult::DoSelectData(int index) {
  if (OnSelectData) OnSelectData(*this, index);
}

void TKyGrepResult::BeginUpdate() {
  if (rows_.BeginUpdate()) setUpdatesEnabled(false);
}

void TKyGrepResult::EndUpdate() {
  if (!rows_.EndUpdate()) return;
  setUpdatesEnabled(true);
  UpdateScrollBars();
  update();
  Repaint();
  NotifyRowsChanged();
}

int TKyGrepResult::TitleWidths(int col) const { return col >= 0 && col < kColCount ? widths_[col] : -1; }

void TKyGrepResult::SetTitleWidths(int col, int width) {
  if (col < 0 || col >= kColCount) return;
  widths_[col] = width;
  UpdateScrollBars();
  Repaint();
}

void TKyGrepResult::SetTitleCaptions(std::vector<std::string> captions) {
  titleCaptions_ = std::move(captions);
  Repaint();
}

void TKyGrepResult::SetColorProperty(int index, uint32_t value) {
  colors_[index] = value;
  update();  // the border is painted on the frame, outside the viewport
  Repaint();
}

void TKyGrepResult::SetColor(uint32_t value) {
  color_ = value;
  Repaint();
}

void TKyGrepResult::SetShowFileNameOnly(bool value) {
  showFileNameOnly_ = value;
  Repaint();
}

void TKyGrepResult::SetShowGridLine(bool value) {
  showGridLine_ = value;
  Repaint();
}

void TKyGrepResult::SetHorizontalScroll(bool value) {
  horizontalScroll_ = value;
  ApplyColumn2Width();
  UpdateScrollBars();
  Repaint();
}

void TKyGrepResult::Repaint() { viewport()->update(); }

void TKyGrepResult::NotifyRowsChanged() {
  ++rowsGeneration_;
  NotifyRowsReset();
}

void TKyGrepResult::NotifyRowsReset() {
  if (!QAccessible::isActive()) return;
  QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
  QAccessible::updateAccessibility(&event);
}

void TKyGrepResult::NotifyCurrentMoved() {
  if (!QAccessible::isActive() || current_ < 0 || current_ >= DataCount()) return;
  const int child = GrepResultCellChild(current_, 0);
  if (hasFocus()) {
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
  }
  QAccessibleEvent selection(this, QAccessible::Selection);
  selection.setChild(child);
  QAccessible::updateAccessibility(&selection);
}

std::string TKyGrepResult::CellText(int index, int col) const {
  if (col < 0 || col >= kColCount) return {};
  if (index == -1) return static_cast<size_t>(col) < titleCaptions_.size() ? titleCaptions_[col] : std::string();
  if (index < 0 || index >= DataCount()) return {};
  if (col == 0) {
    const std::string_view name = rows_.FileName(index);
    return std::string(showFileNameOnly_ ? FileNamePart(name) : name);
  }
  return std::string(col == 1 ? rows_.LineNumText(index) : rows_.Line(index));
}

QRect TKyGrepResult::CellRect(int index, int col) const {
  if (col < 0 || col >= kColCount) return {};
  if (index == -1) return QRect(ColumnLeft(col), 0, ColumnWidth(col), HeaderHeight());
  const long long y = HeaderHeight() + static_cast<long long>(index - TopIndex()) * RowHeight();
  const long long clamped = std::clamp(y, -(1LL << 24), 1LL << 24);  // far rows stay far, without overflow
  return QRect(ColumnLeft(col), static_cast<int>(clamped), ColumnWidth(col), RowHeight());
}

int TKyGrepResult::HeaderHeight() const { return QFontMetrics(font()).height() + 6; }
int TKyGrepResult::RowHeight() const { return QFontMetrics(font()).height() + 4; }

int TKyGrepResult::VisibleRows() const {
  return std::max(1, (viewport()->height() - HeaderHeight()) / RowHeight());
}

int TKyGrepResult::TopIndex() const { return verticalScrollBar()->value(); }

void TKyGrepResult::SetTopIndex(int index) {
  // Rows added under the update lock haven't reached the range yet.
  UpdateScrollBars();
  verticalScrollBar()->setValue(index);
}

int TKyGrepResult::ColumnWidth(int col) const { return std::clamp(widths_[col], 0, kMaxColumnWidth); }

int TKyGrepResult::ColumnLeft(int col) const {
  int left = -horizontalScrollBar()->value();
  for (int c = 0; c < col; ++c) left += ColumnWidth(c);
  return left;
}

int TKyGrepResult::IndexAt(int y) const {
  const int header = HeaderHeight();
  return y < header ? -1 : TopIndex() + (y - header) / RowHeight();
}

int TKyGrepResult::BorderAt(int x, int y) const {
  if (y < 0 || y >= HeaderHeight()) return -1;
  // From the right, so that a column dragged down to nothing can be pulled open again.
  for (int c = kColCount - 1; c >= 0; --c) {
    if (std::abs(x - (ColumnLeft(c) + ColumnWidth(c))) <= kBorderGrip) return c;
  }
  return -1;
}

void TKyGrepResult::UpdateScrollBars() {
  const int visible = VisibleRows();
  QScrollBar* vertical = verticalScrollBar();
  vertical->setRange(0, std::max(0, ShownRows() - visible));
  vertical->setPageStep(visible);
  vertical->setSingleStep(1);

  const int clientWidth = viewport()->width();
  const int total = ColumnWidth(0) + ColumnWidth(1) + ColumnWidth(2);
  QScrollBar* horizontal = horizontalScrollBar();
  horizontal->setRange(0, std::max(0, total - clientWidth));
  horizontal->setPageStep(std::max(1, clientWidth));
  horizontal->setSingleStep(std::max(1, 2 * QFontMetrics(font()).averageCharWidth()));
}

void TKyGrepResult::ApplyColumn2Width() {
  const int clientWidth = viewport()->width();
  widths_[2] = horizontalScroll_ ? clientWidth : clientWidth - ColumnWidth(0) - ColumnWidth(1);
}

void TKyGrepResult::MoveCurrent(int index) {
  current_ = index;
  EnsureVisible(index);
  Repaint();
  DoSelectData(index);
  NotifyCurrentMoved();
}

void TKyGrepResult::ClampCurrent() {
  if (current_ > ShownRows() - 1) MoveCurrent(ShownRows() - 1);
}

void TKyGrepResult::EnsureVisible(int index) {
  const int top = TopIndex();
  const int visible = VisibleRows();
  if (index < top)
    SetTopIndex(index);
  else if (index > top + visible - 1)
    SetTopIndex(index - visible + 1);
}

void TKyGrepResult::WheelStep(bool down) {
  if (DataCount() == 0) return;
  BeginUpdate();
  const long long from = std::clamp(current_, 0, DataCount() - 1);
  const long long step = down ? wheelScrollLine_ : -static_cast<long long>(wheelScrollLine_);
  const int to = static_cast<int>(std::clamp(from + step, 0LL, static_cast<long long>(DataCount() - 1)));
  EnsureVisible(to);
  SelectData(to);
  EndUpdate();
}

void TKyGrepResult::ShowPopup(const QPoint& globalPos) {
  if (!popupMenu_) return;
  if (OnPopup) OnPopup();
  popupMenu_->popup(globalPos);
}

bool TKyGrepResult::event(QEvent* event) {
  const bool handled = QAbstractScrollArea::event(event);
  if (event->type() == QEvent::Paint) {
    QPainter painter(this);
    painter.setPen(ToQColor(colors_[kBorder], palette()));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  return handled;
}

void TKyGrepResult::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.setFont(font());
  const QRect dirty = event->rect();
  painter.fillRect(dirty, ToQColor(color_, palette()));

  const int header = HeaderHeight();
  for (int c = 0; c < kColCount; ++c) {
    const QRect cell(ColumnLeft(c), 0, ColumnWidth(c), header);
    if (cell.width() > 0 && cell.intersects(dirty)) PaintHeaderCell(painter, c, cell);
  }

  const int rowHeight = RowHeight();
  const int bottom = viewport()->height();
  const bool focused = hasFocus();
  for (int index = TopIndex(), y = header; index < ShownRows() && y < bottom; ++index, y += rowHeight) {
    if (y + rowHeight <= dirty.top() || y > dirty.bottom()) continue;
    for (int c = 0; c < kColCount; ++c) {
      const QRect cell(ColumnLeft(c), y, ColumnWidth(c), rowHeight);
      if (cell.width() > 0 && cell.intersects(dirty))
        PaintDataCell(painter, c, index, cell, index == current_, focused);
    }
  }
}

void TKyGrepResult::PaintHeaderCell(QPainter& painter, int col, const QRect& rect) const {
  painter.fillRect(rect, ToQColor(colors_[kFixed], palette()));
  if (static_cast<size_t>(col) < titleCaptions_.size()) {
    // The caption pairs with the header's face, which is a button colour.
    painter.setPen(ToQColor(platform::clBtnText, palette()));
    painter.drawText(rect.adjusted(kTextInset, 0, -kTextInset, 0),
                     kTextFlags | (col == 1 ? Qt::AlignRight : Qt::AlignLeft), ToQString(titleCaptions_[col]));
  }
  PaintCellLines(painter, rect);
}

void TKyGrepResult::PaintDataCell(QPainter& painter, int col, int index, const QRect& rect, bool selected,
                                  bool focused) const {
  const QPalette& pal = palette();
  const QColor text = selected && focused ? ToQColor(colors_[kSel], pal) : ToQColor(platform::clWindowText, pal);
  const QColor background = !selected ? ToQColor(color_, pal)
                            : focused ? ToQColor(colors_[kSelBk], pal)
                                      : ToQColor(platform::clBtnFace, pal);
  painter.fillRect(rect, background);
  const QRect textRect = rect.adjusted(kTextInset, 0, -kTextInset, 0);
  painter.setPen(text);
  if (col == 0) {
    std::string_view name = rows_.FileName(index);
    if (showFileNameOnly_) name = FileNamePart(name);
    const QFontMetrics metrics(font());
    const std::string shown = ShortenPath(name, rect.width() - 2 * kTextInset, [&metrics](std::string_view part) {
      return metrics.horizontalAdvance(platform::NameToQString(part));
    });
    painter.drawText(textRect, kTextFlags | Qt::AlignLeft, platform::NameToQString(shown));
  } else if (col == 1) {
    painter.drawText(textRect, kTextFlags | Qt::AlignRight, ToQString(rows_.LineNumText(index)));
  } else {
    PaintLineText(painter, index, rect, background, text, selected, focused);
  }
  if (showGridLine_) PaintCellLines(painter, rect);
}

// The line is drawn in three pieces, before, in and after the match, each
// converted on its own, so the highlight covers exactly the matched
// characters whatever their widths.
void TKyGrepResult::PaintLineText(QPainter& painter, int index, const QRect& rect, const QColor& background,
                                  const QColor& text, bool selected, bool focused) const {
  const std::string_view line = rows_.Line(index);
  const QRect textRect = rect.adjusted(kTextInset, 0, -kTextInset, 0);
  if (line.empty() || textRect.width() <= 0) return;

  const int visibleRight = std::min(textRect.right(), viewport()->width());
  const size_t budget = static_cast<size_t>(std::max(0, visibleRight - textRect.left() + 1)) + kTextSlack;
  lineBuffer_.assign(line.substr(0, BoundaryFrom(line, budget)));
  std::replace(lineBuffer_.begin(), lineBuffer_.end(), '\t', ' ');  // a tab shows as one space
  const std::string_view shown = lineBuffer_;
  const TByteRange match = MatchRange(shown, rows_.MatchPos(index), rows_.MatchLen(index));

  const QFontMetrics metrics(font());
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
    QColor matchBackground = ToQColor(platform::clGray, palette());
    QColor matchText = ToQColor(platform::clWhite, palette());
    if (!selected || focused) {
      matchBackground =
          colors_[kMatchBk] == platform::clNone ? background : ToQColor(colors_[kMatchBk], palette());
      matchText = colors_[kMatch] == platform::clNone ? text : ToQColor(colors_[kMatch], palette());
    }
    const std::string_view matched = shown.substr(match.begin, match.end - match.begin);
    const QString qmatched = ToQString(matched);
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

void TKyGrepResult::PaintCellLines(QPainter& painter, const QRect& rect) const {
  painter.setPen(ToQColor(platform::clBtnShadow, palette()));
  painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
  painter.drawLine(rect.right(), rect.bottom() + 1, rect.right(), rect.top());
}

void TKyGrepResult::resizeEvent(QResizeEvent* event) {
  ApplyColumn2Width();
  UpdateScrollBars();
  QAbstractScrollArea::resizeEvent(event);
}

void TKyGrepResult::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) UpdateScrollBars();
  if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) Repaint();
  QAbstractScrollArea::changeEvent(event);
}

void TKyGrepResult::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  Repaint();
}

void TKyGrepResult::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  Repaint();
}

void TKyGrepResult::keyPressEvent(QKeyEvent* event) {
  const int last = ShownRows() - 1;
  const int from = std::clamp(current_, 0, last);
  const int page = VisibleRows();
  int to = from;
  switch (event->key()) {
    case Qt::Key_Up:
      to = from - 1;
      break;
    case Qt::Key_Down:
      to = from + 1;
      break;
    case Qt::Key_PageUp:
      SetTopIndex(TopIndex() - page);
      to = from - page;
      break;
    case Qt::Key_PageDown:
      SetTopIndex(TopIndex() + page);
      to = from + page;
      break;
    case Qt::Key_Home:
      to = 0;
      break;
    case Qt::Key_End:
      to = last;
      break;
    case Qt::Key_Left:
      horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
      return;
    case Qt::Key_Right:
      horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (current_ >= 0 && current_ < DataCount() && OnOpenEditor) OnOpenEditor();
      return;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  to = std::clamp(to, 0, last);
  if (to != current_)
    MoveCurrent(to);
  else
    EnsureVisible(to);
}

void TKyGrepResult::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    const int border = BorderAt(pos.x(), pos.y());
    if (border >= 0) {
      dragCol_ = border;
      dragStartX_ = pos.x();
      dragStartWidth_ = ColumnWidth(border);
      return;
    }
    const int index = IndexAt(pos.y());
    if (index >= 0 && index < ShownRows()) {
      selecting_ = true;
      MoveCurrent(index);
    }
  } else if (event->button() == Qt::RightButton && rightClickSelect_) {
    const int index = IndexAt(pos.y());
    if (index >= 0 && index < DataCount()) SelectData(index);
  }
}

void TKyGrepResult::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (dragCol_ >= 0) {
    widths_[dragCol_] = std::clamp(dragStartWidth_ + pos.x() - dragStartX_, 0, kMaxColumnWidth);
    UpdateScrollBars();
    Repaint();
    return;
  }
  if (selecting_ && (event->buttons() & Qt::LeftButton)) {
    const int index = IndexAt(pos.y());
    if (index >= 0 && index < ShownRows() && index != current_) MoveCurrent(index);
    return;
  }
  if (BorderAt(pos.x(), pos.y()) >= 0)
    viewport()->setCursor(Qt::SplitHCursor);
  else
    viewport()->unsetCursor();
}

void TKyGrepResult::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragCol_ = -1;
    selecting_ = false;
    if (!horizontalScroll_) {
      ApplyColumn2Width();
      UpdateScrollBars();
      Repaint();
    }
  } else if (event->button() == Qt::RightButton) {
    ShowPopup(event->globalPosition().toPoint());
  }
}

void TKyGrepResult::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int index = IndexAt(event->position().toPoint().y());
  if (index >= 0 && index < DataCount() && OnOpenEditor) OnOpenEditor();
}

void TKyGrepResult::wheelEvent(QWheelEvent* event) {
  event->accept();  // the scroll bar's own one-row scrolling never runs
  wheelDelta_ += event->angleDelta().y();
  for (; wheelDelta_ >= kWheelStep; wheelDelta_ -= kWheelStep) WheelStep(false);
  for (; wheelDelta_ <= -kWheelStep; wheelDelta_ += kWheelStep) WheelStep(true);
}

void TKyGrepResult::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  // The mouse's menu comes with the button's release, after the right-click selection.
  if (event->reason() == QContextMenuEvent::Mouse) return;
  const int row = std::clamp(current_ - TopIndex(), 0, VisibleRows() - 1);
  const QPoint anchor(kTextInset, HeaderHeight() + row * RowHeight() + RowHeight());
  ShowPopup(viewport()->mapToGlobal(anchor));
}

}  // namespace tansa2
