#include "results/ui/KyGrepResult.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <vector>

#include "platform/CodePage.h"
#include "platform/ui/Colors.h"
#include "results/QuietAbort.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;

class KyGrepResultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    list_ = std::make_unique<TKyGrepResult>();
    list_->OnSelectData = [this](TKyGrepResult& sender, int index) {
      EXPECT_EQ(&sender, list_.get());
      selected_.push_back(index);
    };
    list_->OnOpenEditor = [this] { ++opened_; };
    list_->resize(600, 400);
    list_->show();
  }

  void Fill(int count) {
    for (int i = 0; i < count; ++i) list_->AddData({"/d/f" + std::to_string(i), i + 1, "line", 1, 2});
  }
  int Header() const { return QFontMetrics(list_->font()).height() + 6; }
  int RowHeight() const { return QFontMetrics(list_->font()).height() + 4; }
  // Viewport point in the middle of visible row `row` (0 = the first under the header).
  QPoint RowPoint(int row) const { return {200, row * RowHeight() + RowHeight() / 2}; }
  // Makes exactly `rows` data rows fully visible.
  void ShowRows(int rows) {
    const int chrome = list_->height() - list_->viewport()->height();
    list_->resize(600, chrome + rows * RowHeight() + RowHeight() / 2);
    QApplication::processEvents();
  }

  void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint pos, QWidget* target = nullptr) {
    if (!target) target = list_->viewport();
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }
  QWidget* HeaderArea() const { return list_->horizontalHeader()->viewport(); }
  void Wheel(int delta) {
    const QPoint pos = RowPoint(0);
    QWheelEvent event(pos, list_->viewport()->mapToGlobal(pos), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(list_->viewport(), &event);
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(list_.get(), &event);
  }
  int Top() const { return list_->verticalScrollBar()->value(); }

  std::unique_ptr<TKyGrepResult> list_;
  std::vector<int> selected_;
  int opened_ = 0;
};

TEST_F(KyGrepResultTest, EmptyListAfterClearData) {
  Fill(5);
  list_->SelectData(3);
  selected_.clear();
  list_->ClearData();
  EXPECT_EQ(list_->DataCount(), 0);
  EXPECT_EQ(list_->SelectedIndex(), 0);
  EXPECT_EQ(list_->SelectedFileName(), "");
  EXPECT_EQ(list_->SelectedLineNum(), -1);
  EXPECT_EQ(selected_, std::vector<int>{0});  // the current row moved up to the blank row

  list_->ClearData();
  EXPECT_EQ(selected_, std::vector<int>{0});  // already there: no second event
}

TEST_F(KyGrepResultTest, AddDataNeitherSelectsNorFires) {
  EXPECT_EQ(list_->AddData({"/d/a.txt", 1234, "text", 1, 4}), 0);
  EXPECT_EQ(list_->AddData({"/d/b.txt", 7, "more", 2, 1}), 1);
  EXPECT_TRUE(selected_.empty());
  EXPECT_EQ(list_->SelectedIndex(), 0);
  EXPECT_EQ(list_->SelectedLineNum(), 1234);  // the blank row took it
  EXPECT_EQ(list_->SelectedFileName(), "/d/a.txt");
  EXPECT_EQ(list_->SelectedMatchLen(), 4);

  list_->SelectData(1);
  EXPECT_EQ(selected_, std::vector<int>{1});
  EXPECT_EQ(list_->SelectedLine(), "more");
  list_->SelectData(-1);  // no bounds check, and the getters stay safe
  EXPECT_EQ(list_->SelectedLine(), "");
  EXPECT_EQ(list_->SelectedMatchPos(), -1);
}

TEST_F(KyGrepResultTest, UpdateLockNestsAndSuspendsPainting) {
  list_->BeginUpdate();
  list_->BeginUpdate();
  list_->EndUpdate();
  EXPECT_FALSE(list_->viewport()->updatesEnabled());
  list_->EndUpdate();
  EXPECT_TRUE(list_->viewport()->updatesEnabled());
  list_->EndUpdate();  // unmatched: painting stays on, the next pair still works
  EXPECT_TRUE(list_->viewport()->updatesEnabled());
  list_->BeginUpdate();
  EXPECT_FALSE(list_->viewport()->updatesEnabled());
  list_->EndUpdate();
}

// A search adds rows without the lock: they reach the view together at the
// next turn of the event loop, not one at a time.
TEST_F(KyGrepResultTest, RowsAddedWithoutTheLockAreShownAtTheNextTurn) {
  ShowRows(10);
  const auto turns = [] {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  };
  Fill(105);
  EXPECT_EQ(list_->model()->rowCount(), 1);
  turns();
  EXPECT_EQ(list_->model()->rowCount(), 105);
  EXPECT_EQ(list_->verticalScrollBar()->maximum(), 105 - 10);
  Fill(100);
  EXPECT_EQ(list_->verticalScrollBar()->maximum(), 105 - 10);
  turns();
  EXPECT_EQ(list_->verticalScrollBar()->maximum(), 205 - 10);
  EXPECT_EQ(list_->model()->index(204, 0).data().toString(), QStringLiteral("/d/f99"));
}

TEST_F(KyGrepResultTest, TitleWidthsAndColumn2Rule) {
  EXPECT_EQ(list_->TitleWidths(0), 140);
  EXPECT_EQ(list_->TitleWidths(1), 60);
  EXPECT_EQ(list_->TitleWidths(3), -1);
  EXPECT_EQ(list_->TitleWidths(-1), -1);
  list_->SetTitleWidths(3, 50);
  list_->SetTitleWidths(-1, 50);
  const int client = list_->viewport()->width();
  EXPECT_EQ(list_->TitleWidths(2), client - 200);

  // Dragging the first header border widens column 0; the release refits column 2.
  const int y = Header() / 2;
  Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {140, y}, HeaderArea());
  Mouse(QEvent::MouseMove, Qt::LeftButton, {180, y}, HeaderArea());
  Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {180, y}, HeaderArea());
  EXPECT_EQ(list_->TitleWidths(0), 180);
  EXPECT_EQ(list_->TitleWidths(2), client - 240);

  list_->SetHorizontalScroll(true);
  QApplication::processEvents();
  EXPECT_EQ(list_->TitleWidths(2), list_->viewport()->width());
  EXPECT_EQ(list_->horizontalScrollBar()->maximum(), 240);
}

TEST_F(KyGrepResultTest, WheelMovesTheSelectionByWheelScrollLine) {
  Wheel(-120);  // an empty list: nothing happens
  EXPECT_TRUE(selected_.empty());
  Fill(10);
  list_->SelectData(8);
  Wheel(-120);
  EXPECT_EQ(list_->SelectedIndex(), 9);
  list_->SelectData(5);
  Wheel(120);
  EXPECT_EQ(list_->SelectedIndex(), 0);
  EXPECT_EQ(Top(), 0);
  EXPECT_EQ(selected_, (std::vector<int>{8, 9, 5, 0}));
  EXPECT_TRUE(list_->viewport()->updatesEnabled());

  // Small deltas add up to one step.
  list_->SetWheelScrollLine(1);
  Wheel(-60);
  EXPECT_EQ(list_->SelectedIndex(), 0);
  Wheel(-60);
  EXPECT_EQ(list_->SelectedIndex(), 1);
  Wheel(-240);
  EXPECT_EQ(list_->SelectedIndex(), 3);
}

TEST_F(KyGrepResultTest, WheelScrollsTheNewRowToTheLastVisibleRow) {
  Fill(1000);
  ShowRows(20);
  ASSERT_EQ(list_->verticalScrollBar()->pageStep(), 20);
  Wheel(-120);
  EXPECT_EQ(list_->SelectedIndex(), 20);
  EXPECT_EQ(Top(), 1);

  list_->SetWheelScrollLine(1);
  list_->SelectData(0);
  list_->verticalScrollBar()->setValue(0);
  for (int i = 0; i < 19; ++i) Wheel(-120);
  EXPECT_EQ(list_->SelectedIndex(), 19);
  EXPECT_EQ(Top(), 0);
  Wheel(-120);
  EXPECT_EQ(Top(), 1);

  list_->SetWheelScrollLine(100000);
  Wheel(-120);
  EXPECT_EQ(list_->SelectedIndex(), 999);
  EXPECT_EQ(Top(), 980);
  Wheel(120);
  EXPECT_EQ(list_->SelectedIndex(), 0);
  EXPECT_EQ(Top(), 0);
}

// With the view scrolled away from the selection, a step that leaves the
// new row on the side it came from scrolls nothing.
TEST_F(KyGrepResultTest, WheelScrollsOnlyWhenTheNewRowLeavesTheViewWhereItMoves) {
  Fill(1000);
  ShowRows(20);
  const struct {
    int from, top, delta, to, topAfter;
  } steps[] = {
      {0, 500, -120, 20, 500},    // down, still above the view
      {900, 100, 120, 880, 100},  // up, still below the view
      {495, 500, -120, 515, 500}, // down into the view
      {530, 500, -120, 550, 531}, // down past its bottom
      {510, 500, 120, 490, 490},  // up past its top
  };
  for (const auto& step : steps) {
    list_->SelectData(step.from);
    list_->verticalScrollBar()->setValue(step.top);
    Wheel(step.delta);
    EXPECT_EQ(list_->SelectedIndex(), step.to) << step.from;
    EXPECT_EQ(Top(), step.topAfter) << step.from;
  }
}

TEST_F(KyGrepResultTest, RightButtonSelectsTheRowUnderThePointer) {
  Fill(3);
  Mouse(QEvent::MouseButtonPress, Qt::RightButton, RowPoint(2));
  EXPECT_EQ(list_->SelectedIndex(), 2);
  Mouse(QEvent::MouseButtonPress, Qt::RightButton, RowPoint(5));  // below the last row
  Mouse(QEvent::MouseButtonPress, Qt::RightButton, {200, Header() / 2}, HeaderArea());
  EXPECT_EQ(list_->SelectedIndex(), 2);

  list_->SetRightClickSelect(false);
  Mouse(QEvent::MouseButtonPress, Qt::RightButton, RowPoint(0));
  EXPECT_EQ(list_->SelectedIndex(), 2);
  EXPECT_EQ(selected_, std::vector<int>{2});

  Mouse(QEvent::MouseButtonPress, Qt::LeftButton, RowPoint(1));
  EXPECT_EQ(list_->SelectedIndex(), 1);
  EXPECT_EQ(selected_, (std::vector<int>{2, 1}));
}

TEST_F(KyGrepResultTest, RightButtonReleasePopsUpTheMenu) {
  Fill(3);
  QMenu menu;
  menu.addAction("x");
  int popups = 0;
  list_->OnPopup = [&] {
    ++popups;
    EXPECT_EQ(list_->SelectedIndex(), 1);  // the right-click selection comes first
  };
  list_->SetPopupMenu(&menu);
  Mouse(QEvent::MouseButtonPress, Qt::RightButton, RowPoint(1));
  Mouse(QEvent::MouseButtonRelease, Qt::RightButton, RowPoint(1));
  EXPECT_EQ(popups, 1);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
}

// A double-click opens the selected row wherever it lands: on another
// row, below the last row, on the header.
TEST_F(KyGrepResultTest, EnterAndADoubleClickAnywhereOpenTheSelectedRow) {
  Key(Qt::Key_Return);
  Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, RowPoint(0));  // the blank row
  EXPECT_EQ(opened_, 0);
  Fill(2);
  Key(Qt::Key_Return);
  Key(Qt::Key_Enter);
  EXPECT_EQ(opened_, 2);
  list_->SelectData(1);
  const struct {
    QPoint pos;
    bool onHeader;
  } places[] = {{RowPoint(1), false}, {RowPoint(0), false}, {RowPoint(8), false}, {{200, Header() / 2}, true}};
  for (const auto& place : places) {
    Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, place.pos, place.onHeader ? HeaderArea() : nullptr);
    EXPECT_EQ(list_->SelectedIndex(), 1);
  }
  EXPECT_EQ(opened_, 2 + 4);
  Mouse(QEvent::MouseButtonDblClick, Qt::RightButton, RowPoint(1));
  EXPECT_EQ(opened_, 2 + 4);
}

// Home and End stay in the row (they move the current column, which shows
// nothing); with Ctrl they go to the first and the last row.
TEST_F(KyGrepResultTest, KeyboardMovesTheCurrentRowAndKeepsItVisible) {
  Fill(100);
  ShowRows(10);
  Key(Qt::Key_Up);  // already at the top
  EXPECT_TRUE(selected_.empty());
  Key(Qt::Key_Down);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(list_->SelectedIndex(), 11);
  EXPECT_EQ(Top(), 10);
  Key(Qt::Key_End);
  EXPECT_EQ(list_->SelectedIndex(), 11);
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(list_->SelectedIndex(), 99);
  EXPECT_EQ(Top(), 90);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(list_->SelectedIndex(), 89);
  EXPECT_EQ(Top(), 80);
  Key(Qt::Key_Home);
  EXPECT_EQ(list_->SelectedIndex(), 89);
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(list_->SelectedIndex(), 0);
  EXPECT_EQ(Top(), 0);
  Key(Qt::Key_Tab);  // leaves the list, not the row
  EXPECT_EQ(list_->SelectedIndex(), 0);
  EXPECT_EQ(selected_, (std::vector<int>{1, 11, 99, 89, 0}));
}

TEST_F(KyGrepResultTest, LoadFromFile) {
  testing::TTempDir dir;
  Fill(5);
  list_->SelectData(4);
  selected_.clear();
  EXPECT_THROW(list_->LoadFromFile((dir.Path() / "none.csv").string()), EQuietAbort);
  EXPECT_EQ(list_->DataCount(), 5);
  EXPECT_TRUE(selected_.empty());

  list_->LoadFromFile(dir.Write("two.csv", "/a,1,x,1,1\r\n/b,2,y,1,1\r\n"));
  EXPECT_EQ(list_->DataCount(), 2);
  EXPECT_EQ(list_->SelectedIndex(), 1);
  EXPECT_EQ(list_->SelectedFileName(), "/b");
  EXPECT_EQ(selected_, std::vector<int>{1});

  list_->LoadFromFile(dir.Write("empty.csv", ""));
  EXPECT_EQ(list_->DataCount(), 0);
  EXPECT_EQ(list_->SelectedIndex(), 0);
}

TEST_F(KyGrepResultTest, AMillionRowsUnderTheLock) {
  list_->BeginUpdate();
  for (int i = 0; i < 1000000; ++i) list_->AddData({"/d/f.txt", i + 1, "line", 1, 4});
  list_->EndUpdate();
  EXPECT_EQ(list_->DataCount(), 1000000);
  EXPECT_EQ(list_->verticalScrollBar()->maximum(), 1000000 - list_->verticalScrollBar()->pageStep());
  EXPECT_FALSE(list_->grab().isNull());
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(list_->SelectedLineNum(), 1000000);
  EXPECT_FALSE(list_->grab().isNull());
}

// Pixels of `color` along the top pixel row of visible data row `row`.
struct TRun {
  int first = -1;
  int count = 0;
};

class KyGrepResultPaintTest : public KyGrepResultTest {
 protected:
  TRun RunOf(const QColor& color, int row) {
    const QImage image = list_->viewport()->grab().toImage();
    const int y = row * RowHeight();
    TRun run;
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) != color) continue;
      if (run.first < 0) run.first = x;
      ++run.count;
    }
    return run;
  }
  int Column2Text() const { return list_->TitleWidths(0) + list_->TitleWidths(1) + 3; }
  int Width(std::string_view utf8) const {
    return QFontMetrics(list_->font()).horizontalAdvance(QString::fromUtf8(utf8.data(), utf8.size()));
  }
  const QColor yellow_{255, 255, 0};
};

TEST_F(KyGrepResultPaintTest, HighlightCoversTheMatchedCharacters) {
  list_->AddData({"/d/a", 1, "abc", 1, 1});
  list_->AddData({"/d/b", 2, Utf8ToCp932("日本語"), 3, 2});
  list_->AddData({"/d/c", 3, Utf8ToCp932("日本語"), 4, 1});  // starts inside a character
  list_->AddData({"/d/d", 4, "\t\tab", 3, 1});              // tabs show as one space each
  list_->SelectData(4);  // keep the rows above in their plain colours

  TRun run = RunOf(yellow_, 0);
  EXPECT_EQ(run.first, Column2Text());
  EXPECT_EQ(run.count, Width("a"));
  run = RunOf(yellow_, 1);
  EXPECT_EQ(run.first, Column2Text() + Width("日"));
  EXPECT_EQ(run.count, Width("本"));
  run = RunOf(yellow_, 2);
  EXPECT_EQ(run.first, Column2Text() + Width("日"));
  EXPECT_EQ(run.count, Width("本"));
  run = RunOf(yellow_, 3);
  EXPECT_EQ(run.first, Column2Text() + Width("  "));
  EXPECT_EQ(run.count, Width("a"));

  list_->SetColorMatchBk(platform::clNone);
  EXPECT_EQ(RunOf(yellow_, 0).count, 0);
}

TEST_F(KyGrepResultPaintTest, SelectedRowColoursWithoutFocus) {
  list_->AddData({"/d/a", 1, "abc", 1, 1});
  list_->AddData({"/d/b", 2, "abc", 1, 1});
  list_->SelectData(1);
  QApplication::processEvents();
  list_->clearFocus();
  ASSERT_FALSE(list_->hasFocus());
  const QPalette& palette = list_->palette();
  EXPECT_GT(RunOf(platform::ToQColor(platform::clBtnFace, palette), 1).count, 100);
  EXPECT_EQ(RunOf(yellow_, 1).count, 0);  // the match turns white on grey
  EXPECT_EQ(RunOf(QColor(128, 128, 128), 1).count, Width("a"));
  EXPECT_EQ(RunOf(yellow_, 0).count, Width("a"));

  list_->activateWindow();
  list_->setFocus();
  QApplication::processEvents();
  if (!list_->hasFocus()) GTEST_SKIP() << "the platform gives no focus";
  EXPECT_GT(RunOf(platform::ToQColor(platform::clHighlight, palette), 1).count, 100);
  EXPECT_EQ(RunOf(yellow_, 1).count, Width("a"));  // like every other row
}

TEST_F(KyGrepResultPaintTest, BadMatchPositionsAndLongTextsPaint) {
  const std::string japanese = Utf8ToCp932("検索結果の一覧");
  const std::vector<std::pair<int, int>> matches = {{0, 1},  {-1, -1}, {1, 0},          {1, -5},
                                                    {99, 2}, {2, 1000}, {2147483647, 1}, {1, 2147483647}};
  for (const auto& [pos, len] : matches) list_->AddData({"/d/f", 1, japanese, pos, len});
  list_->AddData({"/d/f", 1, std::string(japanese) + "\x81", 1, 100});  // a lead byte at the end
  list_->AddData({"/d/f", 1, std::string(200000, 'x') + "\t" + japanese, 200002, 4});
  list_->AddData({std::string(3000, 'd') + "/" + std::string(500, 'n'), 1, "", 1, 1});
  list_->AddData({"/" + std::string(200, 'e') + "/" + japanese + "/f", 1, japanese, 1, 2});
  for (bool gridLines : {false, true}) {
    list_->SetShowGridLine(gridLines);
    list_->SetShowFileNameOnly(gridLines);
    list_->SetHorizontalScroll(gridLines);
    list_->SetTitleWidths(0, gridLines ? 5 : 900);
    EXPECT_FALSE(list_->grab().isNull());
  }
  list_->SetTitleCaptions({"&Only one"});
  list_->resize(20, 20);
  EXPECT_FALSE(list_->grab().isNull());
}

}  // namespace
}  // namespace tansa2
