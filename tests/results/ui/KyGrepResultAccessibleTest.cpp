#include "results/ui/KyGrepResultAccessible.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <memory>
#include <string>

#include "platform/CodePage.h"
#include "platform/ui/QtText.h"
#include "results/ui/KyGrepResult.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

class KyGrepResultAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    list_ = std::make_unique<TKyGrepResult>();
    list_->resize(600, 200);
    list_->show();
    list_->setFocus();
    QApplication::processEvents();
  }
  void TearDown() override {
    list_.reset();
  }

  QAccessibleInterface* Iface() const { return QAccessible::queryAccessibleInterface(list_.get()); }
  QAccessibleTableInterface* Table() const { return Iface()->tableInterface(); }
  void Key(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(list_.get(), &press);
  }
  int CurrentRow() const {
    const QList<int> rows = Table()->selectedRows();
    return rows.size() == 1 ? rows.front() : -1;
  }

  std::unique_ptr<TKyGrepResult> list_;
};

TEST_F(KyGrepResultAccessibleTest, IsATableOfThreeColumnsWithOneRowPerHit) {
  ASSERT_NE(Iface(), nullptr);
  EXPECT_EQ(Iface()->role(), QAccessible::Table);
  ASSERT_NE(Table(), nullptr);
  EXPECT_EQ(Table()->columnCount(), 3);
  // The blank row of an empty list is nothing to read.
  EXPECT_EQ(Table()->rowCount(), 0);
  EXPECT_EQ(Table()->cellAt(0, 0), nullptr);
  EXPECT_EQ(Iface()->childCount(), 3);  // the header alone

  for (int i = 0; i < 50; ++i) list_->AddData({"/d/f" + std::to_string(i) + ".txt", i + 1, "x", 1, 1});
  EXPECT_EQ(Table()->rowCount(), 50);
  EXPECT_EQ(Iface()->childCount(), 3 + 50 * 3);
  EXPECT_EQ(Table()->cellAt(50, 0), nullptr);
  EXPECT_EQ(Table()->cellAt(0, 3), nullptr);
  EXPECT_EQ(Table()->cellAt(-1, 0), nullptr);
}

TEST_F(KyGrepResultAccessibleTest, CellsAndHeaderReadTheirTexts) {
  const std::string line = platform::Utf8ToCp932("東京で会議");
  list_->AddData({platform::Utf8ToCp932("/home/u/議事録.txt"), 12, line, 1, 4});
  list_->AddData({"/home/u/b.txt", 3456, "plain", 1, 2});

  const struct {
    int row, col;
    const char* utf8;
  } cases[] = {
      {0, 0, "/home/u/議事録.txt"}, {0, 1, "12"},    {0, 2, "東京で会議"},
      {1, 0, "/home/u/b.txt"},     {1, 1, "3456"}, {1, 2, "plain"},
  };
  for (const auto& c : cases) {
    QAccessibleInterface* cell = Table()->cellAt(c.row, c.col);
    ASSERT_NE(cell, nullptr) << c.row << "," << c.col;
    EXPECT_EQ(cell->text(QAccessible::Name), QString::fromUtf8(c.utf8)) << c.row << "," << c.col;
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->parent(), Iface());
    EXPECT_EQ(Iface()->indexOfChild(cell), 3 + c.row * 3 + c.col);
    EXPECT_EQ(Iface()->child(3 + c.row * 3 + c.col), cell);
    ASSERT_NE(cell->tableCellInterface(), nullptr);
    EXPECT_EQ(cell->tableCellInterface()->rowIndex(), c.row);
    EXPECT_EQ(cell->tableCellInterface()->columnIndex(), c.col);
    const auto headers = cell->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers.front()->role(), QAccessible::ColumnHeader);
  }
  EXPECT_EQ(Iface()->child(0)->text(QAccessible::Name), QString::fromUtf8("ファイル名"));
  EXPECT_EQ(Table()->columnDescription(2), QString::fromUtf8("内容"));

  list_->SetShowFileNameOnly(true);
  EXPECT_EQ(Table()->cellAt(0, 0)->text(QAccessible::Name), QString::fromUtf8("議事録.txt"));
}

TEST_F(KyGrepResultAccessibleTest, CurrentRowFollowsTheKeyboard) {
  for (int i = 0; i < 100; ++i) list_->AddData({"/d/f" + std::to_string(i), i + 1, "x", 1, 1});
  list_->SelectData(0);
  ASSERT_TRUE(list_->hasFocus());

  const struct {
    int key;
    int expected;
  } moves[] = {{Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1},  {Qt::Key_End, 99},
               {Qt::Key_Down, 99}, {Qt::Key_Home, 0}, {Qt::Key_Up, 0}};
  for (const auto& move : moves) {
    Key(move.key);
    EXPECT_EQ(CurrentRow(), move.expected) << move.key;
    EXPECT_TRUE(Table()->isRowSelected(move.expected));
    QAccessibleInterface* focus = Iface()->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->tableCellInterface()->rowIndex(), move.expected);
    EXPECT_TRUE(focus->state().focused);
    EXPECT_TRUE(focus->state().selected);
    EXPECT_FALSE(Table()->cellAt(move.expected == 0 ? 1 : 0, 0)->state().selected);
  }
  // A far row is offscreen, the current one on show.
  EXPECT_FALSE(Table()->cellAt(0, 2)->state().offscreen);
  EXPECT_TRUE(Table()->cellAt(99, 2)->state().offscreen);

  // Selecting through the interface moves the list's own current row.
  EXPECT_TRUE(Table()->selectRow(42));
  EXPECT_EQ(list_->SelectedIndex(), 42);
  EXPECT_FALSE(Table()->selectRow(100));
}

TEST_F(KyGrepResultAccessibleTest, CellsKeptAcrossANewSearchNeverReadGoneRows) {
  for (int i = 0; i < 5; ++i) list_->AddData({"/d/old" + std::to_string(i), i + 1, "old", 1, 1});
  QAccessibleInterface* kept = Table()->cellAt(4, 2);
  ASSERT_NE(kept, nullptr);
  const QAccessible::Id keptId = QAccessible::uniqueId(kept);
  list_->ClearData();
  EXPECT_EQ(Table()->rowCount(), 0);
  EXPECT_FALSE(kept->isValid());
  EXPECT_TRUE(kept->text(QAccessible::Name).isEmpty());

  list_->AddData({"/d/new", 1, "new", 1, 1});
  QAccessibleInterface* fresh = Table()->cellAt(0, 2);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->text(QAccessible::Name), QStringLiteral("new"));
  EXPECT_EQ(QAccessible::accessibleInterface(keptId), nullptr);  // dropped with the rows
}

TEST_F(KyGrepResultAccessibleTest, ChildAtFindsTheCellUnderAPoint) {
  for (int i = 0; i < 30; ++i) list_->AddData({"/d/f" + std::to_string(i), i + 1, "x", 1, 1});
  list_->SelectData(0);
  Key(Qt::Key_End);  // scrolled: the row under a point counts from the top row on show
  for (int col = 0; col < 3; ++col) {
    const QRect lastCell = Table()->cellAt(29, col)->rect();
    QAccessibleInterface* hit = Iface()->childAt(lastCell.center().x(), lastCell.center().y());
    ASSERT_NE(hit, nullptr) << col;
    EXPECT_EQ(hit->tableCellInterface()->rowIndex(), 29);
    EXPECT_EQ(hit->tableCellInterface()->columnIndex(), col);
  }
  const QRect header = Iface()->child(1)->rect();
  EXPECT_EQ(Iface()->childAt(header.center().x(), header.center().y()), Iface()->child(1));
}

}  // namespace
}  // namespace tansa2
