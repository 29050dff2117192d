#include "results/ui/KyGrepResult.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "platform/ui/Colors.h"
#include "results/RowFormats.h"
#include "results/ui/GrepResultDelegate.h"

namespace tansa2 {
namespace {

constexpr int kWheelStep = 120;           // wheel delta of one notch
constexpr int kMaxColumnWidth = 1 << 20;  // keeps sums of widths from settings in range

}  // namespace

TKyGrepResult::TKyGrepResult(QWidget* parent)
    : QTableView(parent),
      model_(new TGrepResultModel(this)),
      header_(new TGrepResultHeader(*this)),
      colors_{platform::clBtnShadow, platform::clBtnFace, platform::clHighlightText, platform::clHighlight,
              platform::clBlue,      platform::clYellow,  platform::clWindow},
      saveType_(stTag) {
  setHorizontalHeader(header_);
  setModel(model_);
  setItemDelegate(new TGrepResultDelegate(*this));
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  header_->resizeSection(0, 140);
  header_->resizeSection(1, 60);
  header_->OnLeftRelease = [this] {
    if (!horizontalScroll_) ApplyColumn2Width();
  };
  header_->OnDoubleClick = [this] { OpenSelected(); };
  ApplyFontHeights();
  // The frame's one pixel keeps the scroll bars inside it; event() paints it.
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setEditTriggers(NoEditTriggers);
  setTabKeyNavigation(false);
  setSelectionBehavior(SelectRows);
  setSelectionMode(SingleSelection);
  setHorizontalScrollMode(ScrollPerPixel);
  setVerticalScrollMode(ScrollPerItem);
  viewport()->setAutoFillBackground(false);  // paintEvent fills with Color
  setCurrentIndex(model_->index(0, 0));
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { DoSelectData(current.row()); });
}

int TKyGrepResult::AddData(std::string_view fileName, int lineNum, std::string_view line, int matchPos,
                           int matchLen) {
  const int index = model_->Rows().AddData(fileName, lineNum, line, matchPos, matchLen);
  // Under the lock the view follows at EndUpdate. Otherwise a search adds
  // rows many at a time between two turns of the event loop, and they are
  // shown together at the next turn.
  if (!Rows().Updating() && !addedRowsPending_) {
    addedRowsPending_ = true;
    QMetaObject::invokeMethod(this, [this] { ShowAddedRows(); }, Qt::QueuedConnection);
  }
  return index;
}

void TKyGrepResult::ShowAddedRows() {
  addedRowsPending_ = false;
  model_->ShowRows(false);
}

void TKyGrepResult::ClearData() {
  model_->Rows().ClearData();
  addedRowsPending_ = false;
  model_->ShowRows(true);
}

void TKyGrepResult::LoadFromFile(const std::string& fileName) {
  model_->Rows().LoadFromFile(fileName);
  addedRowsPending_ = false;
  model_->ShowRows(true);
}

void TKyGrepResult::SelectData(int index) {
  ShowAddedRows();
  const QModelIndex target = model_->index(index, std::max(0, currentIndex().column()));
  if (target == currentIndex()) {
    DoSelectData(index);
  } else {
    // Setting the current row scrolls it into view unless told not to.
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setAutoScroll(true);
  }
  viewport()->update();
}

void TKyGrepResult::DoSelectData(int index) {
  if (OnSelectData) OnSelectData(*this, index);
}

void TKyGrepResult::BeginUpdate() {
  if (model_->Rows().BeginUpdate()) setUpdatesEnabled(false);
}

void TKyGrepResult::EndUpdate() {
  if (!model_->Rows().EndUpdate()) return;
  ShowAddedRows();
  executeDelayedItemsLayout();  // the scroll bars take in the rows at once
  setUpdatesEnabled(true);
  viewport()->update();
}

int TKyGrepResult::TitleWidths(int col) const {
  return col >= 0 && col < TGrepResultModel::kColCount ? header_->sectionSize(col) : -1;
}

void TKyGrepResult::SetTitleWidths(int col, int width) {
  if (col >= 0 && col < TGrepResultModel::kColCount) header_->resizeSection(col, std::clamp(width, 0, kMaxColumnWidth));
}

void TKyGrepResult::SetColorProperty(int index, uint32_t value) {
  colors_[index] = value;
  update();  // the border is painted on the frame, outside the viewport
  viewport()->update();
  header_->viewport()->update();
}

void TKyGrepResult::SetShowGridLine(bool value) {
  showGridLine_ = value;
  viewport()->update();
}

void TKyGrepResult::SetHorizontalScroll(bool value) {
  horizontalScroll_ = value;
  ApplyColumn2Width();
}

void TKyGrepResult::ApplyFontHeights() {
  const int height = QFontMetrics(font()).height();
  verticalHeader()->setDefaultSectionSize(height + 4);
  header_->setFixedHeight(height + 6);
}

void TKyGrepResult::ApplyColumn2Width() {
  const int client = viewport()->width();
  SetTitleWidths(2, horizontalScroll_ ? client : client - TitleWidths(0) - TitleWidths(1));
}

void TKyGrepResult::OpenSelected() {
  if (SelectedIndex() >= 0 && SelectedIndex() < DataCount() && OnOpenEditor) OnOpenEditor();
}

int TKyGrepResult::VisibleRows() const {
  const int capacity = viewport()->height() / verticalHeader()->defaultSectionSize();
  return std::max(1, std::min(capacity, DataCount() - verticalScrollBar()->value()));
}

// The selection moves by WheelScrollLine rows; the view scrolls only when
// the new row leaves it on the side it moves to.
void TKyGrepResult::WheelStep(bool down) {
  if (DataCount() == 0) return;
  ShowAddedRows();
  BeginUpdate();
  executeDelayedItemsLayout();  // the scroll range takes in rows just added
  QScrollBar* bar = verticalScrollBar();
  const long long from = SelectedIndex();
  const long long last = DataCount() - 1;
  const int top = bar->value();
  const int visible = VisibleRows();
  int to = 0;
  if (down) {
    to = static_cast<int>(std::min(from + wheelScrollLine_, last));
    if (to == last) bar->setValue(DataCount() - visible);
    else if (to > top + visible - 1) bar->setValue(to - visible + 1);
  } else {
    to = static_cast<int>(std::max(from - wheelScrollLine_, 0LL));
    if (to < top) bar->setValue(to);
  }
  SelectData(to);
  EndUpdate();
}

void TKyGrepResult::ShowPopup(const QPoint& globalPos) {
  if (!popupMenu_) return;
  if (OnPopup) OnPopup();
  popupMenu_->popup(globalPos);
}

// Page keys move the current row and the top row together by a page, as a
// grid does; the rest are the table's.
QModelIndex TKyGrepResult::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  if (cursorAction != MovePageUp && cursorAction != MovePageDown)
    return QTableView::moveCursor(cursorAction, modifiers);
  const int page = std::max(1, viewport()->height() / verticalHeader()->defaultSectionSize());
  const int step = cursorAction == MovePageDown ? page : -page;
  verticalScrollBar()->setValue(verticalScrollBar()->value() + step);
  const int row = std::clamp(SelectedIndex() + step, 0, model_->ShownRows() - 1);
  return model_->index(row, std::max(0, currentIndex().column()));
}

bool TKyGrepResult::event(QEvent* event) {
  const bool handled = QTableView::event(event);
  if (event->type() == QEvent::Paint) {
    QPainter painter(this);
    painter.setPen(platform::ToQColor(colors_[kBorder], palette()));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  return handled;
}

void TKyGrepResult::paintEvent(QPaintEvent* event) {
  QPainter(viewport()).fillRect(event->rect(), platform::ToQColor(Color(), palette()));
  QTableView::paintEvent(event);
}

void TKyGrepResult::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  ApplyColumn2Width();
}

void TKyGrepResult::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) ApplyFontHeights();
  QTableView::changeEvent(event);
}

void TKyGrepResult::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  viewport()->update();
}

void TKyGrepResult::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  viewport()->update();
}

void TKyGrepResult::keyPressEvent(QKeyEvent* event) {
  ShowAddedRows();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    OpenSelected();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TKyGrepResult::mousePressEvent(QMouseEvent* event) {
  ShowAddedRows();
  if (event->button() != Qt::RightButton) {
    QTableView::mousePressEvent(event);
    return;
  }
  const int index = rowAt(event->position().toPoint().y());
  if (rightClickSelect_ && index >= 0 && index < DataCount()) SelectData(index);
}

void TKyGrepResult::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    ShowPopup(event->globalPosition().toPoint());
    return;
  }
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && !horizontalScroll_) ApplyColumn2Width();
}

void TKyGrepResult::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) OpenSelected();
}

void TKyGrepResult::wheelEvent(QWheelEvent* event) {
  event->accept();  // the view's own scrolling never runs
  wheelDelta_ += event->angleDelta().y();
  for (; wheelDelta_ >= kWheelStep; wheelDelta_ -= kWheelStep) WheelStep(false);
  for (; wheelDelta_ <= -kWheelStep; wheelDelta_ += kWheelStep) WheelStep(true);
}

void TKyGrepResult::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  // The mouse's menu comes with the button's release, after the right-click selection.
  if (event->reason() == QContextMenuEvent::Mouse) return;
  const QRect row = visualRect(currentIndex());
  ShowPopup(viewport()->mapToGlobal(QPoint(3, std::clamp(row.bottom(), 0, viewport()->height()))));
}

}  // namespace tansa2
