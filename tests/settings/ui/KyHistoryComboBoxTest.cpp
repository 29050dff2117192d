#include "settings/ui/KyHistoryComboBox.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>

#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

using Items = std::vector<std::string>;

class KyHistoryComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    box_ = std::make_unique<TKyHistoryComboBox>();
    box_->show();
  }
  void Enter(const std::string& text) {
    box_->SetText(text);
    box_->AddHistory();
  }
  // One key press in the field, with the character it types.
  void Key(int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box_->lineEdit(), &press);
  }
  void Type(const QString& text) {
    for (QChar c : text) Key(0, QString(c));
  }
  QLineEdit* Edit() const { return box_->lineEdit(); }

  std::unique_ptr<TKyHistoryComboBox> box_;
};

// A box of names shows their true characters and gives back their CP932
// form; a box of text keeps the text conversion.
TEST_F(KyHistoryComboBoxTest, ABoxOfNamesShowsTrueCharactersAndKeepsTheForm) {
  const std::string accented = platform::Cp932FormOfName("/r\xC3\xA9s");
  const std::string legacy = platform::Cp932FormOfName("/\xC6\xFC");
  box_->SetHoldsNames(true);
  box_->SetItems({accented, legacy});
  EXPECT_EQ(box_->itemText(0), QString::fromUtf8("/rés"));
  EXPECT_EQ(box_->itemText(1), QStringLiteral("/\\xC6\\xFC"));
  EXPECT_EQ(box_->Items(), (Items{accented, legacy}));
  Edit()->clear();
  Type(QString::fromUtf8("/rés"));
  EXPECT_EQ(box_->Text(), accented);
  box_->AddHistory();
  EXPECT_EQ(box_->Items(), (Items{accented, legacy}));

  // Completion extends a typed prefix with the entry's true characters.
  box_->SetComplete(true);
  Edit()->clear();
  Type(QStringLiteral("/r"));
  EXPECT_EQ(Edit()->text(), QString::fromUtf8("/rés"));

  box_->SetHoldsNames(false);
  box_->SetText(platform::Utf8ToCp932("東京"));
  EXPECT_EQ(box_->currentText(), QString::fromUtf8("東京"));
  Edit()->setText(QString::fromUtf8("café"));
  EXPECT_EQ(box_->Text(), "caf?");
}

TEST_F(KyHistoryComboBoxTest, AddHistoryKeepsTheFieldOnTheNewEntry) {
  EXPECT_EQ(box_->MaxHistory(), 32);
  Enter("abc");
  Enter("def");
  Enter("abc");
  EXPECT_EQ(box_->Items(), (Items{"abc", "def"}));
  EXPECT_EQ(box_->currentIndex(), 0);
  EXPECT_EQ(box_->Text(), "abc");
  Enter("a\tb");
  EXPECT_EQ(box_->Items(), (Items{"abc", "def"}));
  EXPECT_EQ(box_->Text(), "a\tb");

  // Shift-JIS text survives the round trip through the widget.
  const std::string tokyo = platform::Utf8ToCp932("東京");
  Enter(tokyo);
  EXPECT_EQ(box_->Items().front(), tokyo);
}

TEST_F(KyHistoryComboBoxTest, MaxHistoryCutsTheListButNeverTheText) {
  box_->SetItems({"5", "4", "3", "2", "1"});
  // The field shows an entry that the limit cuts away.
  box_->setCurrentIndex(4);
  box_->SetMaxHistory(3);
  EXPECT_EQ(box_->Items(), (Items{"5", "4", "3"}));
  EXPECT_EQ(box_->Text(), "1");
  Enter("6");
  EXPECT_EQ(box_->Items(), (Items{"6", "5", "4"}));
  box_->SetMaxHistory(0);
  EXPECT_TRUE(box_->Items().empty());
  EXPECT_EQ(box_->Text(), "6");
  Enter("7");
  EXPECT_TRUE(box_->Items().empty());
  EXPECT_EQ(box_->Text(), "7");
}

TEST_F(KyHistoryComboBoxTest, CompletionAppendsAndSelectsTheRestOfTheNewestMatch) {
  box_->SetItems({"C:\\Work\\Tools", "C:\\Windows"});
  box_->SetText("");
  // Off by default.
  Type("c:");
  EXPECT_EQ(Edit()->text(), "c:");

  box_->SetComplete(true);
  Edit()->clear();
  Type("c:\\w");
  EXPECT_EQ(Edit()->text(), "c:\\work\\Tools");
  EXPECT_EQ(Edit()->selectedText(), "ork\\Tools");
  // Typing on replaces the completed part.
  Type("i");
  EXPECT_EQ(Edit()->text(), "c:\\windows");
  EXPECT_EQ(Edit()->selectedText(), "ndows");

  // Backspace and Delete never complete.
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Edit()->text(), "c:\\wi");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Edit()->text(), "c:\\w");

  box_->SetMinLengthComplete(5);
  Edit()->clear();
  Type("c:\\w");
  EXPECT_EQ(Edit()->text(), "c:\\w");
  Type("o");
  EXPECT_EQ(Edit()->text(), "c:\\work\\Tools");
}

TEST_F(KyHistoryComboBoxTest, DropDownHeightFollowsRowsAndFont) {
  const int fontHeight = box_->fontMetrics().height();
  const int rowHeight = box_->DropDownRowHeight();
  EXPECT_EQ(rowHeight, fontHeight + static_cast<int>(std::lround(fontHeight / 8.0)) - 2);

  box_->SetItems({"a", "b", "c"});
  box_->showPopup();
  ASSERT_TRUE(box_->DroppedDown());
  EXPECT_EQ(box_->view()->window()->height(), 3 * rowHeight + 4);
  box_->hidePopup();
  EXPECT_FALSE(box_->DroppedDown());

  Items many;
  for (int i = 0; i < 20; ++i) many.push_back(std::to_string(i));
  box_->SetItems(many);
  box_->showPopup();
  EXPECT_EQ(box_->view()->window()->height(), 8 * rowHeight + 4);
  box_->hidePopup();
}

}  // namespace
}  // namespace tansa2
