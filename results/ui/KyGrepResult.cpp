#include "results/ui/KyGrepResult.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
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
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->hide();
  setItemDelegate(new TGrepResultDelegate(*this));
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
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  setVerticalScrollMode(ScrollPerItem);  // the scroll bar counts rows: the top row is its value
  setHorizontalScrollMode(ScrollPerPixel);
  setEditTriggers(NoEditTriggers);
  setSelectionBehavior(SelectRows);
  setSelectionMode(SingleSelection);
  viewport()->setAutoFillBackground(false);  // paintEvent fills with Color
  setCurrentIndex(model_->index(0, 0));
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { DoSelectData(current.row()); });
}

int TKyGrepResult::AddData(const TGrepHit& hit) {
  const int index = model_->Rows().AddData(hit);
  // Under the lock the view follows at EndUpdate. Otherwise a search adds
  // rows many at a time between two turns of the event loop, and they are
  // shown together at the next turn.
  if (!Rows().Updating() && !addedRowsPending_) {
    addedRowsPending_ = true;
    QMetaObject::invokeMethod(this, [this] { ShowRows(false); }, Qt::QueuedConnection);
  }
  return index;
}

void TKyGrepResult::ShowRows(bool replaced) {
  addedRowsPending_ = false;
  model_->ShowRows(replaced);
  updateGeometries();  // now, not at the view's next layout: the scroll bar's range follows the rows
}

void TKyGrepResult::ClearData() {
  model_->Rows().ClearData();
  ShowRows(true);
}

void TKyGrepResult::LoadFromFile(const std::string& fileName) {
  model_->Rows().LoadFromFile(fileName);
  ShowRows(true);
}

void TKyGrepResult::SelectData(int index) {
  ShowRows(false);
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
  ShowRows(false);
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
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
  updateGeometries();
}

void TKyGrepResult::ApplyColumn2Width() {
  const int client = viewport()->width();
  SetTitleWidths(2, horizontalScroll_ ? client : client - TitleWidths(0) - TitleWidths(1));
}

void TKyGrepResult::OpenSelected() {
  if (SelectedIndex() >= 0 && SelectedIndex() < DataCount() && OnOpenEditor) OnOpenEditor();
}

int TKyGrepResult::PageRows() const { return std::max(1, viewport()->height() / RowHeight()); }

int TKyGrepResult::VisibleRows() const {
  return std::max(1, std::min(PageRows(), DataCount() - verticalScrollBar()->value()));
}

// The selection moves by WheelScrollLine rows; the view scrolls only when
// the new row leaves it on the side it moves to.
void TKyGrepResult::WheelStep(bool down) {
  if (DataCount() == 0) return;
  ShowRows(false);
  BeginUpdate();
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

// The grid's keys: arrows, page keys moving the current row and the top row
// together, Home and End to the first and last column, with Ctrl to the
// first and last row.
QModelIndex TKyGrepResult::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex current = currentIndex();
  int row = std::max(0, current.row());
  int col = std::max(0, current.column());
  const int ctrl = modifiers & Qt::ControlModifier;
  QScrollBar* bar = verticalScrollBar();
  switch (cursorAction) {
    case MoveUp: --row; break;
    case MoveDown: ++row; break;
    case MoveLeft: --col; break;
    case MoveRight: ++col; break;
    case MovePageUp: bar->setValue(bar->value() - PageRows()); row -= PageRows(); break;
    case MovePageDown: bar->setValue(bar->value() + PageRows()); row += PageRows(); break;
    case MoveHome: col = 0; if (ctrl) row = 0; break;
    case MoveEnd: col = TGrepResultModel::kColCount - 1; if (ctrl) row = model_->ShownRows() - 1; break;
    default: return current;
  }
  return model_->index(std::clamp(row, 0, model_->ShownRows() - 1), std::clamp(col, 0, TGrepResultModel::kColCount - 1));
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
  QPainter(viewport()).fillRect(event->rect(), platform::ToQColor(Color(), palette()));  // below the last row too
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

void TKyGrepResult::keyPressEvent(QKeyEvent* event) {
  ShowRows(false);
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    OpenSelected();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TKyGrepResult::mousePressEvent(QMouseEvent* event) {
  ShowRows(false);
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
