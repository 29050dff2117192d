#include "results/ui/KyGrepResult.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStringListModel>
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
  verticalHeader()->setModel(new QStringListModel(this));  // no rows: nothing kept per row
  verticalHeader()->hide();
  // The corner button sits where a row header would meet the column header.
  for (auto* corner : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) corner->hide();
  setItemDelegate(new TGrepResultDelegate(*this));
  header_->resizeSection(0, 140);
  header_->resizeSection(1, 60);
  header_->OnLeftRelease = [this] {
    if (!horizontalScroll_) ApplyColumn2Width();
  };
  header_->OnDoubleClick = [this] { OpenSelected(); };
  connect(header_, &QHeaderView::sectionResized, this, [this] {
    updateGeometries();
    viewport()->update();
  });
  ApplyFontHeights();
  // The frame's one pixel keeps the scroll bars inside it; event() paints it.
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setShowGrid(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
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
  rowHeight_ = QFontMetrics(font()).height() + 4;
  updateGeometries();
  viewport()->update();
}

void TKyGrepResult::ApplyColumn2Width() {
  const int client = viewport()->width();
  SetTitleWidths(2, horizontalScroll_ ? client : client - TitleWidths(0) - TitleWidths(1));
}

void TKyGrepResult::OpenSelected() {
  if (SelectedIndex() >= 0 && SelectedIndex() < DataCount() && OnOpenEditor) OnOpenEditor();
}

int TKyGrepResult::PageRows() const { return std::max(1, viewport()->height() / rowHeight_); }

int TKyGrepResult::VisibleRows() const {
  return std::max(1, std::min(PageRows(), DataCount() - verticalScrollBar()->value()));
}

// The selection moves by WheelScrollLine rows; the view scrolls only when
// the new row leaves it on the side it moves to.
void TKyGrepResult::WheelStep(bool down) {
  if (DataCount() == 0) return;
  ShowAddedRows();
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

QRect TKyGrepResult::visualRect(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  const long long y = static_cast<long long>(index.row() - verticalScrollBar()->value()) * rowHeight_;
  const int clamped = static_cast<int>(std::clamp(y, -(1LL << 24), 1LL << 24));  // far rows stay far
  return QRect(header_->sectionViewportPosition(index.column()), clamped, header_->sectionSize(index.column()),
               rowHeight_);
}

void TKyGrepResult::scrollTo(const QModelIndex& index, ScrollHint) {
  if (!index.isValid()) return;
  QScrollBar* bar = verticalScrollBar();
  if (index.row() < bar->value()) bar->setValue(index.row());
  else if (index.row() > bar->value() + PageRows() - 1) bar->setValue(index.row() - PageRows() + 1);
  const QRect cell = visualRect(index);
  QScrollBar* across = horizontalScrollBar();
  if (cell.left() < 0 || cell.width() > viewport()->width()) across->setValue(across->value() + cell.left());
  else if (cell.right() >= viewport()->width()) across->setValue(across->value() + cell.right() - viewport()->width() + 1);
}

QModelIndex TKyGrepResult::indexAt(const QPoint& point) const {
  if (point.y() < 0) return {};
  return model_->index(verticalScrollBar()->value() + point.y() / rowHeight_, header_->logicalIndexAt(point.x()));
}

int TKyGrepResult::horizontalOffset() const { return horizontalScrollBar()->value(); }
int TKyGrepResult::verticalOffset() const { return verticalScrollBar()->value() * rowHeight_; }

void TKyGrepResult::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  selectionModel()->select(indexAt(rect.topLeft()), command | QItemSelectionModel::Rows);
}

QRegion TKyGrepResult::visualRegionForSelection(const QItemSelection& selection) const {
  QRegion region;
  for (const QItemSelectionRange& range : selection) {
    const int top = std::max(range.top(), verticalScrollBar()->value());
    const int bottom = std::min(range.bottom(), verticalScrollBar()->value() + PageRows());
    if (top <= bottom)
      region += visualRect(model_->index(top, 0)).united(visualRect(model_->index(bottom, 0)))
                    .adjusted(0, 0, viewport()->width(), 0);
  }
  return region;
}

void TKyGrepResult::updateGeometries() {
  const int headerHeight = QFontMetrics(font()).height() + 6;
  setViewportMargins(0, headerHeight, 0, 0);
  const QRect area = viewport()->geometry();
  header_->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, std::max(0, model_->ShownRows() - PageRows()));
  bar->setPageStep(PageRows());
  bar->setSingleStep(1);
  QScrollBar* across = horizontalScrollBar();
  across->setRange(0, std::max(0, header_->length() - viewport()->width()));
  across->setPageStep(std::max(1, viewport()->width()));
  across->setSingleStep(std::max(1, 2 * QFontMetrics(font()).averageCharWidth()));
  header_->setOffset(across->value());
  QAbstractItemView::updateGeometries();  // not the table's, which lays out by its row header
}

void TKyGrepResult::scrollContentsBy(int, int) {
  header_->setOffset(horizontalScrollBar()->value());
  viewport()->update();
}

void TKyGrepResult::rowsInserted(const QModelIndex& parent, int start, int end) {
  QTableView::rowsInserted(parent, start, end);
  updateGeometries();
  viewport()->update();
}

void TKyGrepResult::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  QTableView::rowsAboutToBeRemoved(parent, start, end);
  // Once the rows are gone.
  QMetaObject::invokeMethod(this, [this] { updateGeometries(); }, Qt::QueuedConnection);
  viewport()->update();
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
  QPainter painter(viewport());
  painter.fillRect(event->rect(), platform::ToQColor(Color(), palette()));
  painter.setFont(font());
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const int top = verticalScrollBar()->value();
  for (int row = top; row < model_->ShownRows() && (row - top) * rowHeight_ < viewport()->height(); ++row)
    for (int col = 0; col < TGrepResultModel::kColCount; ++col) {
      const QModelIndex index = model_->index(row, col);
      option.rect = visualRect(index);
      if (option.rect.width() > 0 && option.rect.intersects(event->rect()))
        itemDelegate()->paint(&painter, option, index);
    }
}

void TKyGrepResult::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  updateGeometries();
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
  const int y = event->position().toPoint().y();
  const int index = y < 0 ? -1 : verticalScrollBar()->value() + y / rowHeight_;
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
