#pragma once
// The result list: one fixed header row over the rows of the last search,
// three columns (file name, line number, line text) with the matched bytes
// highlighted. The rows are a table model (GrepResultModel.h) the list shows
// through a delegate (GrepResultDelegate.h); keyboard, mouse, selection and
// assistive technology are the table view's; rows have one height.
#include <QHeaderView>
#include <QTableView>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "results/ui/GrepResultModel.h"

class QMenu;

namespace tansa2 {

class TGrepResultHeader;

class TKyGrepResult : public QTableView {
  Q_OBJECT

 public:
  explicit TKyGrepResult(QWidget* parent = nullptr);

  // Appends a row; neither selects, scrolls nor fires OnSelectData. The view
  // takes it in at the next turn of the event loop, or at EndUpdate under
  // the update lock.
  int AddData(const TGrepHit& hit);
  void ClearData();
  int DataCount() const { return Rows().DataCount(); }

  int SelectedIndex() const { return currentIndex().row(); }
  // Selects without a bounds check and without scrolling; fires OnSelectData.
  void SelectData(int index);
  // "" or -1 when the selected row doesn't exist.
  std::string SelectedFileName() const { return std::string(Rows().FileName(SelectedIndex())); }
  int SelectedLineNum() const { return Rows().LineNum(SelectedIndex()); }
  std::string SelectedLine() const { return std::string(Rows().Line(SelectedIndex())); }
  int SelectedMatchPos() const { return Rows().MatchPos(SelectedIndex()); }
  int SelectedMatchLen() const { return Rows().MatchLen(SelectedIndex()); }

  // Nested suspension of painting; the last EndUpdate repaints.
  void BeginUpdate();
  void EndUpdate();

  void SaveToFile(const std::string& fileName) const { Rows().SaveToFile(fileName, saveType_); }
  void SaveToCsvFile(const std::string& fileName) const { Rows().SaveToCsvFile(fileName); }
  const TGrepResultRows& Rows() const { return model_->Rows(); }
  const TGrepResultModel& Model() const { return *model_; }
  // Throws EQuietAbort with the rows unchanged when the file can't be read.
  void LoadFromFile(const std::string& fileName);

  // -1 for a column that doesn't exist; setting one does nothing.
  int TitleWidths(int col) const;
  void SetTitleWidths(int col, int width);
  const std::vector<std::string>& TitleCaptions() const { return model_->Captions(); }
  void SetTitleCaptions(std::vector<std::string> captions) { model_->SetCaptions(std::move(captions)); }

  // Colour values (platform/ui/Colors.h).
  uint32_t ColorBorder() const { return colors_[kBorder]; }
  void SetColorBorder(uint32_t value) { SetColorProperty(kBorder, value); }
  uint32_t ColorFixed() const { return colors_[kFixed]; }
  void SetColorFixed(uint32_t value) { SetColorProperty(kFixed, value); }
  uint32_t ColorSel() const { return colors_[kSel]; }
  void SetColorSel(uint32_t value) { SetColorProperty(kSel, value); }
  uint32_t ColorSelBk() const { return colors_[kSelBk]; }
  void SetColorSelBk(uint32_t value) { SetColorProperty(kSelBk, value); }
  uint32_t ColorMatch() const { return colors_[kMatch]; }
  void SetColorMatch(uint32_t value) { SetColorProperty(kMatch, value); }
  uint32_t ColorMatchBk() const { return colors_[kMatchBk]; }
  void SetColorMatchBk(uint32_t value) { SetColorProperty(kMatchBk, value); }
  // Background of the data rows.
  uint32_t Color() const { return colors_[kBackground]; }
  void SetColor(uint32_t value) { SetColorProperty(kBackground, value); }

  bool ShowFileNameOnly() const { return model_->FileNameOnly(); }
  void SetShowFileNameOnly(bool value) { model_->SetFileNameOnly(value); }
  bool ShowGridLine() const { return showGridLine_; }
  void SetShowGridLine(bool value);
  int WheelScrollLine() const { return wheelScrollLine_; }
  void SetWheelScrollLine(int value) { wheelScrollLine_ = value; }
  bool RightClickSelect() const { return rightClickSelect_; }
  void SetRightClickSelect(bool value) { rightClickSelect_ = value; }
  bool HorizontalScroll() const { return horizontalScroll_; }
  void SetHorizontalScroll(bool value);
  int SaveType() const { return saveType_; }
  void SetSaveType(int value) { saveType_ = value; }
  // Kept for the settings only: Qt draws every widget through a buffer.
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }

  int RowHeight() const { return verticalHeader()->defaultSectionSize(); }

  // Popped up on a right-button release and on the context-menu key.
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

  std::function<void(TKyGrepResult& sender, int index)> OnSelectData;
  std::function<void()> OnOpenEditor;  // Enter, or a double-click anywhere, with a data row selected
  std::function<void()> OnPopup;       // just before the popup menu opens

 protected:
  virtual void DoSelectData(int index);

  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void keyboardSearch(const QString&) override {}  // typing doesn't jump to rows
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  enum { kBorder, kFixed, kSel, kSelBk, kMatch, kMatchBk, kBackground, kColorCount };

  void SetColorProperty(int index, uint32_t value);
  void ApplyFontHeights();
  void ApplyColumn2Width();
  // The rows the store gained or lost since the last time reach the view;
  // what the keyboard, the mouse and the selection act on. `replaced` as
  // for TGrepResultModel::ShowRows.
  void ShowRows(bool replaced);
  void OpenSelected();
  // Rows that fit wholly in the view; data rows wholly on show from the top
  // row, counting only rows that exist.
  int PageRows() const;
  int VisibleRows() const;
  void WheelStep(bool down);
  void ShowPopup(const QPoint& globalPos);

  TGrepResultModel* model_;
  TGrepResultHeader* header_;
  std::array<uint32_t, kColorCount> colors_;
  bool showGridLine_ = false;
  int wheelScrollLine_ = 20;
  bool rightClickSelect_ = true;
  bool horizontalScroll_ = false;
  bool doubleBuffered_ = false;
  int saveType_;
  QMenu* popupMenu_ = nullptr;
  int wheelDelta_ = 0;             // wheel units not yet making a full step
  bool addedRowsPending_ = false;  // rows added that ShowRows hasn't shown yet
};

}  // namespace tansa2
