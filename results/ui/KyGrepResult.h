#pragma once
// The result list: one fixed header row over the rows of the last search,
// three columns (file name, line number, line text) with the matched bytes
// highlighted. Only the visible rows are drawn, so a list of a million rows
// scrolls as lightly as one of ten.
#include <QAbstractScrollArea>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "results/GrepResultRows.h"

class QMenu;
class QRect;
class QPainter;

namespace tansa2 {

class TIniFileEx;

class TKyGrepResult : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TKyGrepResult(QWidget* parent = nullptr);

  // Appends a row; neither selects, scrolls nor fires OnSelectData. The
  // scroll bars and the screen take it in at the next turn of the event
  // loop, or at EndUpdate under the update lock.
  int AddData(const TGrepHit& hit);
  void ClearData();
  int DataCount() const { return rows_.DataCount(); }

  int SelectedIndex() const { return current_; }
  // Selects without a bounds check and without scrolling; fires OnSelectData.
  void SelectData(int index);
  // "" or -1 when the selected row doesn't exist.
  std::string SelectedFileName() const { return std::string(rows_.FileName(current_)); }
  int SelectedLineNum() const { return rows_.LineNum(current_); }
  std::string SelectedLine() const { return std::string(rows_.Line(current_)); }
  int SelectedMatchPos() const { return rows_.MatchPos(current_); }
  int SelectedMatchLen() const { return rows_.MatchLen(current_); }

  // Nested suspension of painting; the last EndUpdate repaints.
  void BeginUpdate();
  void EndUpdate();

  void SaveToFile(const std::string& fileName) const { rows_.SaveToFile(fileName, saveType_); }
  void SaveToCsvFile(const std::string& fileName) const { rows_.SaveToCsvFile(fileName); }
  void SaveToTagFile(const std::string& fileName) const { rows_.SaveToTagFile(fileName); }
  void SaveToLineOnlyFile(const std::string& fileName) const { rows_.SaveToLineOnlyFile(fileName); }
  const TGrepResultRows& Rows() const { return rows_; }
  // Throws EQuietAbort with the rows unchanged when the file can't be read.
  void LoadFromFile(const std::string& fileName);

  // -1 for a column that doesn't exist; setting one does nothing.
  int TitleWidths(int col) const;
  void SetTitleWidths(int col, int width);
  const std::vector<std::string>& TitleCaptions() const { return titleCaptions_; }
  void SetTitleCaptions(std::vector<std::string> captions);

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
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t value);

  bool ShowFileNameOnly() const { return showFileNameOnly_; }
  void SetShowFileNameOnly(bool value);
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

  // The look above, the font and the columns' widths and titles, in section
  // `section` ("GrepResult" when empty); each absent or unreadable key keeps
  // the value the list has (KyGrepResultIni.cpp).
  void LoadFromIni(const TIniFileEx& ini, std::string_view section);
  void SaveToIni(TIniFileEx& ini, std::string_view section) const;

  // What a cell shows, for assistive technology: the header's caption for
  // index -1, "" outside the list. The file name is whole, not shortened.
  std::string CellText(int index, int col) const;
  // A cell's place in the viewport, whether or not it's scrolled into view.
  QRect CellRect(int index, int col) const;
  static constexpr int ColumnCount() { return kColCount; }
  // Changes whenever the rows are replaced, added to or cleared.
  unsigned RowsGeneration() const { return rowsGeneration_; }

  // Popped up on a right-button release and on the context-menu key.
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

  std::function<void(TKyGrepResult& sender, int index)> OnSelectData;
  std::function<void()> OnOpenEditor;  // Enter or double-click on a data row
  std::function<void()> OnPopup;       // just before the popup menu opens

 protected:
  virtual void DoSelectData(int index);

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  enum { kBorder, kFixed, kSel, kSelBk, kMatch, kMatchBk, kColorCount };
  static constexpr int kColCount = 3;

  void SetColorProperty(int index, uint32_t value);
  void Repaint();
  // Tells assistive technology that the rows changed or the current row moved.
  void NotifyRowsChanged();
  void NotifyRowsReset();
  // Brings the scroll bars, the screen and assistive technology up to the
  // rows added since the last time.
  void ShowAddedRows();
  void NotifyCurrentMoved();

  int HeaderHeight() const;
  int RowHeight() const;
  // Rows on show: the data rows, or the one blank row of an empty list.
  int ShownRows() const { return DataCount() > 0 ? DataCount() : 1; }
  // Data rows that fit wholly below the header (at least one).
  int VisibleRows() const;
  int TopIndex() const;
  void SetTopIndex(int index);
  int ColumnLeft(int col) const;
  int ColumnWidth(int col) const;
  // Store index of the row at a viewport y; -1 on the header.
  int IndexAt(int y) const;
  // The header column whose right border is under x, or -1.
  int BorderAt(int x, int y) const;

  void UpdateScrollBars();
  void ApplyColumn2Width();
  // The selection path of keyboard and mouse: moves, keeps in view, fires.
  void MoveCurrent(int index);
  // After the rows shrank: a current row past the end moves to the last.
  void ClampCurrent();
  void EnsureVisible(int index);
  void WheelStep(bool down);
  void ShowPopup(const QPoint& globalPos);

  void PaintHeaderCell(QPainter& painter, int col, const QRect& rect) const;
  void PaintDataCell(QPainter& painter, int col, int index, const QRect& rect, bool selected,
                     bool focused) const;
  void PaintLineText(QPainter& painter, int index, const QRect& rect, const QColor& background,
                     const QColor& text, bool selected, bool focused) const;
  void PaintCellLines(QPainter& painter, const QRect& rect) const;

  TGrepResultRows rows_;
  int current_ = 0;
  std::array<int, kColCount> widths_{140, 60, 0};
  std::vector<std::string> titleCaptions_;
  std::array<uint32_t, kColorCount> colors_;
  uint32_t color_;
  bool showFileNameOnly_ = false;
  bool showGridLine_ = false;
  int wheelScrollLine_ = 20;
  bool rightClickSelect_ = true;
  bool horizontalScroll_ = false;
  bool doubleBuffered_ = false;
  int saveType_;
  QMenu* popupMenu_ = nullptr;

  int wheelDelta_ = 0;      // wheel units not yet making a full step
  int dragCol_ = -1;        // column whose border is being dragged
  int dragStartX_ = 0;
  int dragStartWidth_ = 0;
  bool selecting_ = false;  // left button held over the data rows
  unsigned rowsGeneration_ = 0;
  bool addedRowsPending_ = false;  // rows added that ShowAddedRows hasn't shown yet
  int firstPendingRow_ = 0;
  mutable std::string lineBuffer_;  // reused for the line text while painting
};

}  // namespace tansa2
