// The result list as assistive technology reads it: the table view's own
// interface over the list's model.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <memory>
#include <string>

#include "platform/CodePage.h"
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

  QAccessibleInterface* Iface() const { return QAccessible::queryAccessibleInterface(list_.get()); }
  QAccessibleTableInterface* Table() const { return Iface()->tableInterface(); }
  QString CellText(int row, int col) const {
    QAccessibleInterface* cell = Table()->cellAt(row, col);
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("(none)");
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(list_.get(), &press);
  }

  std::unique_ptr<TKyGrepResult> list_;
};

TEST_F(KyGrepResultAccessibleTest, ATableOfThreeColumnsReadingTheRowsTexts) {
  ASSERT_NE(Iface(), nullptr);
  EXPECT_EQ(Iface()->role(), QAccessible::Table);
  ASSERT_NE(Table(), nullptr);
  EXPECT_EQ(Table()->columnCount(), 3);
  EXPECT_EQ(Table()->rowCount(), 1);  // the blank row of an empty list reads empty
  EXPECT_EQ(CellText(0, 2), QString());

  list_->AddData({platform::Utf8ToCp932("/home/u/議事録.txt"), 12, platform::Utf8ToCp932("東京で会議"), 1, 4});
  list_->AddData({"/home/u/b.txt", 3456, "plain", 1, 2});
  QApplication::processEvents();
  EXPECT_EQ(Table()->rowCount(), 2);
  const struct {
    int row, col;
    const char* utf8;
  } cases[] = {
      {0, 0, "/home/u/議事録.txt"}, {0, 1, "12"},    {0, 2, "東京で会議"},
      {1, 0, "/home/u/b.txt"},     {1, 1, "3456"}, {1, 2, "plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(CellText(c.row, c.col), QString::fromUtf8(c.utf8)) << c.row << "," << c.col;
  EXPECT_EQ(Table()->columnDescription(2), QString::fromUtf8("内容"));
  list_->SetShowFileNameOnly(true);
  EXPECT_EQ(CellText(0, 0), QString::fromUtf8("議事録.txt"));

  list_->ClearData();
  EXPECT_EQ(Table()->rowCount(), 1);
  EXPECT_EQ(CellText(0, 0), QString());
}

TEST_F(KyGrepResultAccessibleTest, TheSelectedRowFollowsTheCurrentRow) {
  for (int i = 0; i < 100; ++i) list_->AddData({"/d/f" + std::to_string(i), i + 1, "x", 1, 1});
  QApplication::processEvents();
  list_->SelectData(0);
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    int expected;
  } moves[] = {{Qt::Key_Down, Qt::NoModifier, 1},
               {Qt::Key_End, Qt::ControlModifier, 99},
               {Qt::Key_Home, Qt::ControlModifier, 0}};
  for (const auto& move : moves) {
    Key(move.key, move.modifiers);
    EXPECT_EQ(Table()->selectedRows(), QList<int>{move.expected}) << move.key;
  }
  list_->SelectData(7);
  EXPECT_EQ(Table()->selectedRows(), QList<int>{7});
}

}  // namespace
}  // namespace tansa2
