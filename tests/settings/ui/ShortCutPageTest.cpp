// The shortcut page on the main window's own table: catching keys, adding
// with the question, and the list's buttons.
#include "settings/ui/ShortCutPage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/ui/QtText.h"
#include "session/ui/FrTS2Main.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;
using Texts = std::vector<std::string>;

constexpr TShortCutPlace kGrepStart{1, 0};
constexpr TShortCutPlace kGrepCancel{1, 1};
constexpr TShortCutPlace kToolEnv{3, 0};

// What the question box showed, and the answer given.
struct TQuestion {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
};

class ShortCutPageTest : public ::testing::Test {
 protected:
  // The designed table, as a main window of default settings gives it.
  static void SetUpTestSuite() {
    testing::QtApp();
    const testing::TTempDir home;
    std::optional<std::string> oldHome;
    if (const char* old = std::getenv("TANSA2_HOME")) oldHome = old;
    setenv("TANSA2_HOME", home.String().c_str(), 1);
    designed_ = std::make_unique<TFormTS2Main>()->GetShortCutTable();
    if (oldHome) setenv("TANSA2_HOME", oldHome->c_str(), 1);
    else unsetenv("TANSA2_HOME");
  }

  void SetUp() override {
    page_ = std::make_unique<TShortCutPage>(nullptr);
    page_->OnCaptureChange = [this](bool capturing) { captures_.push_back(capturing); };
    page_->resize(575, 370);
    page_->show();
    page_->activateWindow();
    QApplication::processEvents();
  }

  void Show(const TShortCutTable& table, TShortCutPlace place) {
    page_->SetTable(table);
    Categories()->setCurrentIndex(place.Category);
    Commands()->setCurrentRow(place.Command);
    Edit()->setFocus();
    QApplication::processEvents();
  }

  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(Edit(), &press);
  }

  // Presses "追加" and answers the question it asks, if any.
  std::optional<TQuestion> Add(QMessageBox::StandardButton answer) {
    std::optional<TQuestion> asked;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      asked = TQuestion{box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
      box->button(answer)->click();
    });
    timer.start();
    Button("KyFlatButtonShortCutAdd")->click();
    return asked;
  }

  std::string ShortCuts(TShortCutPlace place) const {
    return page_->Table().Categories[static_cast<size_t>(place.Category)]
        .Commands[static_cast<size_t>(place.Command)]
        .ShortCuts;
  }
  Texts Shown() const {
    Texts texts;
    for (int row = 0; row < Current()->count(); ++row)
      texts.push_back(platform::FromQString(Current()->item(row)->text()));
    return texts;
  }
  void Select(const std::vector<int>& rows) const {
    Current()->clearSelection();
    for (int row : rows) Current()->item(row)->setSelected(true);
  }
  // "追加", "削除", "クリア", "上へ", "下へ" in that order.
  std::vector<bool> Enabled() const {
    std::vector<bool> enabled;
    for (const char* name : kButtons) enabled.push_back(Button(name)->isEnabled());
    return enabled;
  }

  QComboBox* Categories() const { return testing::FindChild<QComboBox>(*page_, "KyFlatComboBoxExShortCutCategory"); }
  QListWidget* Commands() const { return testing::FindChild<QListWidget>(*page_, "KyFlatListBoxShortCutCommand"); }
  QLineEdit* Edit() const { return testing::FindChild<QLineEdit>(*page_, "KyFlatEditShortCutNew"); }
  QListWidget* Current() const { return testing::FindChild<QListWidget>(*page_, "KyFlatListBoxShortCutCurrent"); }
  QPushButton* Button(const char* name) const { return testing::FindChild<QPushButton>(*page_, name); }

  static constexpr const char* kButtons[] = {"KyFlatButtonShortCutAdd", "KyFlatButtonShortCutDelete",
                                             "KyFlatButtonShortCutClear", "KyFlatButtonShortCutUp",
                                             "KyFlatButtonShortCutDown"};
  static inline TShortCutTable designed_;
  std::unique_ptr<TShortCutPage> page_;
  std::vector<bool> captures_;
};

TEST_F(ShortCutPageTest, ShowsTheMenusAndEveryControlFitsThePage) {
  page_->SetTable(designed_);
  ASSERT_EQ(Categories()->count(), 5);
  EXPECT_EQ(Categories()->itemText(0), QStringLiteral("ファイル"));
  EXPECT_EQ(Categories()->itemText(4), QStringLiteral("ヘルプ"));
  EXPECT_EQ(Commands()->count(), 1);
  EXPECT_EQ(Commands()->item(0)->text(), QStringLiteral("終了"));
  EXPECT_TRUE(Shown().empty());

  Categories()->setCurrentIndex(2);
  ASSERT_EQ(Commands()->count(), 6);
  EXPECT_EQ(Commands()->currentRow(), 0);
  EXPECT_EQ(Commands()->item(1)->text(), QStringLiteral("次へ"));
  EXPECT_EQ(Shown(), (Texts{"Ctrl+Left"}));
  Commands()->setCurrentRow(2);
  EXPECT_EQ(Shown(), (Texts{"Ctrl+O"}));
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, true, false, false}));

  const std::vector<std::pair<const char*, QString>> captions = {
      {"KyFlatButtonShortCutAdd", QStringLiteral("追加")},   {"KyFlatButtonShortCutDelete", QStringLiteral("削除")},
      {"KyFlatButtonShortCutClear", QStringLiteral("クリア")}, {"KyFlatButtonShortCutUp", QStringLiteral("上へ")},
      {"KyFlatButtonShortCutDown", QStringLiteral("下へ")}};
  for (const auto& [name, caption] : captions) EXPECT_EQ(Button(name)->text(), caption) << name;
  for (const QString& label : {QStringLiteral("カテゴリ"), QStringLiteral("コマンド"),
                               QStringLiteral("新しいショートカット"), QStringLiteral("ショートカット")}) {
    const auto labels = page_->findChildren<QLabel*>();
    EXPECT_TRUE(std::ranges::any_of(labels, [&](QLabel* l) { return l->text() == label && l->buddy(); }))
        << label.toStdString();
  }
  EXPECT_TRUE(Edit()->isReadOnly());
  EXPECT_EQ(Current()->selectionMode(), QAbstractItemView::ExtendedSelection);

  // Nothing is cut off or pushed outside at the size the dialog gives.
  for (QWidget* child : page_->findChildren<QWidget*>()) {
    if (!child->isVisible() || child->parentWidget() != page_.get()) continue;
    const QRect area = child->geometry();
    const std::string name = child->objectName().toStdString();
    EXPECT_TRUE(page_->rect().contains(area)) << name;
    if (qobject_cast<QLabel*>(child) || qobject_cast<QPushButton*>(child)) {
      EXPECT_GE(area.width(), child->sizeHint().width()) << name;
      EXPECT_GE(area.height(), child->sizeHint().height()) << name;
    }
  }
}

// F3 caught on "検索中止" belongs to "検索開始": Yes moves it, No leaves all.
TEST_F(ShortCutPageTest, AddingATakenKeyAsksItsOwner) {
  for (const QMessageBox::StandardButton answer : {QMessageBox::Yes, QMessageBox::No}) {
    SCOPED_TRACE(answer == QMessageBox::Yes ? "Yes" : "No");
    Show(designed_, kGrepCancel);
    Key(Qt::Key_F3);
    EXPECT_EQ(Edit()->text(), QStringLiteral("F3"));
    EXPECT_TRUE(Button("KyFlatButtonShortCutAdd")->isEnabled());

    const std::optional<TQuestion> asked = Add(answer);
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->Title, QStringLiteral("環境設定"));
    EXPECT_EQ(asked->Text, QStringLiteral("ショートカット F3 は［検索：検索開始］で使用されています。\r\n\r\n"
                                          "設定を置き換えますか？"));
    EXPECT_EQ(asked->Icon, QMessageBox::Question);
    EXPECT_EQ(asked->Buttons, QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes) {
      EXPECT_EQ(ShortCuts(kGrepStart), "");
      EXPECT_EQ(ShortCuts(kGrepCancel), "Esc,F3");
      EXPECT_EQ(Shown(), (Texts{"Esc", "F3"}));
      EXPECT_TRUE(Edit()->text().isEmpty());
      EXPECT_FALSE(Button("KyFlatButtonShortCutAdd")->isEnabled());
    } else {
      EXPECT_EQ(ShortCuts(kGrepStart), "F3");
      EXPECT_EQ(ShortCuts(kGrepCancel), "Esc");
      EXPECT_EQ(Shown(), (Texts{"Esc"}));
      EXPECT_EQ(Edit()->text(), QStringLiteral("F3"));
    }
  }
}

TEST_F(ShortCutPageTest, KeysCaughtInTheField) {
  Show(designed_, kGrepCancel);
  struct TCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* shown;
  };
  const std::vector<TCase> cases = {
      {Qt::Key_O, Qt::ControlModifier, "Ctrl+O"},
      {Qt::Key_Control, Qt::ControlModifier, ""},  // a modifier alone empties the field
      {Qt::Key_F3, Qt::AltModifier | Qt::ShiftModifier, "Shift+Alt+F3"},
      {Qt::Key_Escape, Qt::NoModifier, "Shift+Alt+F3"},  // the command has Esc already
      {Qt::Key_Shift, Qt::ShiftModifier, ""},
      {Qt::Key_Return, Qt::NoModifier, "Enter"},
      {Qt::Key_Tab, Qt::ControlModifier, "Ctrl+Tab"},
      {Qt::Key_Tab, Qt::NoModifier, "Tab"},
      {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"},
      {Qt::Key_Alt, Qt::AltModifier, ""},
  };
  for (const TCase& c : cases) {
    Key(c.key, c.modifiers);
    EXPECT_EQ(platform::FromQString(Edit()->text()), c.shown) << c.shown;
    EXPECT_EQ(Button("KyFlatButtonShortCutAdd")->isEnabled(), *c.shown != '\0') << c.shown;
    // Tab and Shift+Tab are caught, not moves of the focus.
    EXPECT_TRUE(Edit()->hasFocus()) << c.shown;
  }
  EXPECT_EQ(ShortCuts(kGrepCancel), "Esc");
}

TEST_F(ShortCutPageTest, FieldTellsWhenItCatchesKeys) {
  Show(designed_, kGrepStart);
  Commands()->setFocus();
  QApplication::processEvents();
  Edit()->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(captures_, (std::vector<bool>{true, false, true}));

  // The menu holds the hidden items that enter Tab and Shift+Tab.
  auto* menu = testing::FindChild<QMenu>(*page_, "PopupMenuShortCut");
  ASSERT_NE(menu, nullptr);
  for (const char* name : {"pmiTab", "pmiShiftTab"}) {
    auto* item = testing::FindChild<QAction>(*menu, name);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isVisible()) << name;
    EXPECT_TRUE(menu->actions().contains(item)) << name;
  }
  EXPECT_EQ(testing::FindChild<QAction>(*menu, "pmiShiftTab")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Tab));
}

// Tab entered through the hidden item even where the command has it: adding
// asks about the command itself and Yes moves Tab to the end.
TEST_F(ShortCutPageTest, TabOfTheSameCommandMovesToTheEnd) {
  TShortCutTable table = designed_;
  table.Categories[3].Commands[0].ShortCuts = "Tab,F10";
  Show(table, kToolEnv);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Edit()->text(), QStringLiteral("Tab"));
  const std::optional<TQuestion> asked = Add(QMessageBox::Yes);
  ASSERT_TRUE(asked);
  EXPECT_TRUE(asked->Text.contains(QStringLiteral("Tab は［ツール：環境設定］")));
  EXPECT_EQ(ShortCuts(kToolEnv), "F10,Tab");
  EXPECT_EQ(Shown(), (Texts{"F10", "Tab"}));
}

TEST_F(ShortCutPageTest, ListButtonsFollowTheSelection) {
  TShortCutTable table = designed_;
  table.Categories[1].Commands[0].ShortCuts = "F3,Ctrl+G,Shift+F3";
  Show(table, kGrepStart);

  Select({0, 2});
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, true, true, false, false}));

  Select({2});
  Button("KyFlatButtonShortCutUp")->click();
  EXPECT_EQ(ShortCuts(kGrepStart), "F3,Shift+F3,Ctrl+G");
  EXPECT_EQ(Current()->selectedItems().size(), 1);
  EXPECT_EQ(Current()->currentRow(), 1);
  Button("KyFlatButtonShortCutUp")->click();
  EXPECT_EQ(ShortCuts(kGrepStart), "Shift+F3,F3,Ctrl+G");
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, true, true, false, true}));
  Button("KyFlatButtonShortCutDown")->click();
  EXPECT_EQ(ShortCuts(kGrepStart), "F3,Shift+F3,Ctrl+G");

  Select({0, 2});
  Button("KyFlatButtonShortCutDelete")->click();
  EXPECT_EQ(ShortCuts(kGrepStart), "Shift+F3");
  EXPECT_EQ(Shown(), (Texts{"Shift+F3"}));
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, true, false, false}));

  Select({0});
  Button("KyFlatButtonShortCutDelete")->click();
  EXPECT_EQ(ShortCuts(kGrepStart), "");
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false, false, false}));

  // Emptied by "クリア", and another command's list after it is its own.
  Commands()->setCurrentRow(2);
  EXPECT_EQ(Shown(), (Texts{"F5"}));
  Button("KyFlatButtonShortCutClear")->click();
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(ShortCuts({1, 2}), "");
  EXPECT_EQ(ShortCuts(kGrepCancel), "Esc");

  // A command without shortcuts takes a new one as its primary.
  Edit()->setFocus();
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_FALSE(Add(QMessageBox::Yes));
  EXPECT_EQ(ShortCuts({1, 2}), "Shift+F5");
}

}  // namespace
}  // namespace tansa2
