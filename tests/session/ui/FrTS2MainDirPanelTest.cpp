// The directory panel inside the main window: the tree and the directory
// field follow each other, F5 refreshes the tree, Enter in it searches.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSplitter>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/CodePage.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

namespace fs = std::filesystem;

class FrTS2MainDirPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    // The window reads and writes its settings under TANSA2_HOME.
    if (const char* old = std::getenv("TANSA2_HOME")) oldHome_ = old;
    setenv("TANSA2_HOME", settings_.String().c_str(), 1);
  }
  void TearDown() override {
    window_.reset();
    if (oldHome_) setenv("TANSA2_HOME", oldHome_->c_str(), 1);
    else unsetenv("TANSA2_HOME");
  }

  void Open(const std::vector<std::string>& parameters) {
    window_ = std::make_unique<TFormTS2Main>(parameters);
    window_->show();
    window_->activateWindow();
    // Wide enough to click the nodes of a temporary folder without scrolling.
    auto* splitter = Find<QSplitter>("Splitter1");
    splitter->setSizes({400, 400});
    QApplication::processEvents();
  }
  template <class T>
  T* Find(const char* name) const {
    return testing::FindChild<T>(*window_, name);
  }
  TKyFlatDirView* Tree() const { return Find<TKyFlatDirView>("KyFlatDirView"); }
  TKyHistoryComboBox* GrepDir() const { return Find<TKyHistoryComboBox>("KyFlatComboBoxExGrepDir"); }
  QTreeWidgetItem* Selected() const { return Tree()->currentItem(); }
  QTreeWidgetItem* ChildNamed(QTreeWidgetItem* node, const char* name) const {
    for (int i = 0; i < node->childCount(); ++i)
      if (node->child(i)->text(0) == QString::fromUtf8(name)) return node->child(i);
    return nullptr;
  }
  void Click(QTreeWidgetItem* node) const {
    Tree()->scrollToItem(node);
    const QPoint at = Tree()->visualItemRect(node).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, at, Tree()->viewport()->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(Tree()->viewport(), &event);
    }
    QApplication::processEvents();
  }
  static void Key(QWidget* receiver, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(receiver, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(receiver, &release);
  }

  testing::TTempDir settings_;
  testing::TTempDir dir_;
  std::optional<std::string> oldHome_;
  std::unique_ptr<TFormTS2Main> window_;
};

TEST_F(FrTS2MainDirPanelTest, TheTreeWritesTheDirectoryField) {
  fs::create_directories(dir_.Path() / "sub");
  Open({dir_.String()});
  EXPECT_TRUE(Tree()->NoBorder());
  EXPECT_EQ(Tree()->BorderColor(), platform::clWindow);
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(Selected()), dir_.String());
  EXPECT_TRUE(Selected()->isExpanded());
  EXPECT_EQ(GrepDir()->Text(), dir_.String());

  Click(ChildNamed(Selected(), "sub"));
  EXPECT_EQ(GrepDir()->Text(), dir_.String() + "/sub");
  Click(Tree()->topLevelItem(0));
  EXPECT_EQ(GrepDir()->Text(), platform::Utf8ToCp932("コンピュータ"));
}

TEST_F(FrTS2MainDirPanelTest, F5ShowsNewFoldersAndSelectsTheFieldsPathAgain) {
  fs::create_directories(dir_.Path() / "a");
  Open({dir_.String()});
  fs::create_directories(dir_.Path() / "b");
  EXPECT_EQ(ChildNamed(Selected(), "b"), nullptr);

  Key(Tree(), Qt::Key_F5);
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(Selected()), dir_.String());
  EXPECT_NE(ChildNamed(Selected(), "b"), nullptr);
  EXPECT_EQ(GrepDir()->Text(), dir_.String());

  // The field's own text is what gets selected.
  GrepDir()->SetText(dir_.String() + "/a");
  Find<QAction>("ActionGrepRefreshDir")->trigger();
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(Selected()), dir_.String() + "/a");

  // A text that names no folder stays in the field, and nothing is selected.
  GrepDir()->SetText(dir_.String() + "/missing");
  Find<QAction>("ActionGrepRefreshDir")->trigger();
  EXPECT_EQ(Tree()->GetSelectedDir(), "");
  EXPECT_EQ(GrepDir()->Text(), dir_.String() + "/missing");
}

TEST_F(FrTS2MainDirPanelTest, EnterInTheTreeSearchesTheSelectedFolder) {
  dir_.Write("a/hit.txt", "needle\n");
  dir_.Write("b/hit.txt", "needle\n");
  Open({dir_.String(), "needle", "*.txt"});
  Click(ChildNamed(Selected(), "b"));
  Tree()->setFocus();
  Key(Tree(), Qt::Key_Return);
  auto* list = Find<TKyGrepResult>("KyGrepResult");
  ASSERT_EQ(list->DataCount(), 1);
  list->SelectData(0);
  EXPECT_EQ(list->SelectedFileName(), dir_.String() + "/b/hit.txt");
}

TEST_F(FrTS2MainDirPanelTest, HidingThePanelDisablesTheSplitterAndKeepsTheWidth) {
  Open({});
  QWidget* panel = Find<QWidget>("KyFlatPanelDir");
  auto* splitter = Find<QSplitter>("Splitter1");
  const int total = splitter->sizes()[0] + splitter->sizes()[1];
  splitter->setSizes({220, total - 220});
  QApplication::processEvents();
  ASSERT_EQ(panel->width(), 220);

  QAction* toggle = Find<QAction>("ActionToolShowDirPanel");
  toggle->trigger();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(splitter->handle(1)->isEnabled());
  toggle->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_TRUE(splitter->handle(1)->isEnabled());
  EXPECT_EQ(panel->width(), 220);
}

}  // namespace
}  // namespace tansa2
