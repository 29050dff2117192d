#include "dirpanel/ui/KyFlatDirView.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QMouseEvent>
#include <filesystem>

#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScopedHome.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

namespace fs = std::filesystem;

std::string Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8); }

class KyFlatDirViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_.resize(300, 400);
    view_.OnChange = [this](const std::string& path) { changes_.push_back(path); };
    view_.show();
  }

  QTreeWidgetItem* Root() const { return view_.topLevelItem(0); }
  // The node of `path`, looked up among the nodes the tree has so far.
  QTreeWidgetItem* NodeOf(const std::string& path) const {
    for (QTreeWidgetItemIterator it(const_cast<TKyFlatDirView*>(&view_)); *it; ++it)
      if (TKyFlatDirView::GetNodeDir(*it) == path) return *it;
    return nullptr;
  }
  std::vector<std::string> ChildNames(QTreeWidgetItem* node) const {
    std::vector<std::string> names;
    for (int i = 0; i < node->childCount(); ++i) names.push_back(node->child(i)->text(0).toStdString());
    return names;
  }
  bool HasExpandButton(QTreeWidgetItem* node) const {
    return view_.model()->hasChildren(view_.indexFromItem(node));
  }
  // A press and release of the left button on the node's label.
  void Click(QTreeWidgetItem* node) {
    view_.scrollToItem(node);
    const QPoint at = view_.visualItemRect(node).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, at, view_.viewport()->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(view_.viewport(), &event);
    }
    QApplication::processEvents();
  }

  QApplication& app_ = testing::QtApp();  // before the tree
  testing::TTempDir dir_;
  TKyFlatDirView view_;
  std::vector<std::string> changes_;
};

TEST_F(KyFlatDirViewTest, RebuildListsOnlyTheRootsChildrenAndSelectsNothing) {
  const testing::TScopedHome home(dir_.Path() / "home");
  EXPECT_EQ(Root(), nullptr);  // a new tree is empty until its owner rebuilds it
  view_.Rebuild();
  EXPECT_EQ(view_.Namespace().ListingCount(), 1);
  ASSERT_NE(Root(), nullptr);
  EXPECT_EQ(Root()->text(0), QStringLiteral("コンピュータ"));
  EXPECT_TRUE(Root()->isExpanded());
  ASSERT_GE(Root()->childCount(), 2);
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(Root()->child(0)), dir_.String() + "/home");
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(Root()->child(1)), "/");
  for (int i = 0; i < Root()->childCount(); ++i) {
    EXPECT_FALSE(Root()->child(i)->isExpanded());
    EXPECT_TRUE(HasExpandButton(Root()->child(i)));
  }
  EXPECT_EQ(view_.GetSelectedDir(), "");
  EXPECT_TRUE(changes_.empty());
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(nullptr), "");
}

TEST_F(KyFlatDirViewTest, SelectingAPathExpandsTheWayAndTheNodeItself) {
  const testing::TScopedHome home(dir_.Path() / "home");
  const std::string target = dir_.String() + "/home/" + Sjis("資料") + "/b";
  fs::create_directories(platform::Cp932ToUtf8(target) + "/c");
  fs::create_directories(dir_.Path() / "home" / ".hidden");
  view_.Rebuild();
  view_.SetSelectedDir(target);

  QTreeWidgetItem* node = view_.currentItem();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(node), target);
  EXPECT_EQ(view_.GetSelectedDir(), target);
  EXPECT_EQ(changes_, std::vector<std::string>{target});
  for (QTreeWidgetItem* up = node; up; up = up->parent()) EXPECT_TRUE(up->isExpanded()) << up->text(0).toStdString();
  EXPECT_EQ(ChildNames(node), std::vector<std::string>{"c"});
  // Home, 資料, b and the root: each folder on the way is listed once.
  EXPECT_EQ(view_.Namespace().ListingCount(), 4);
  EXPECT_EQ(ChildNames(node->parent()->parent()), (std::vector<std::string>{".hidden", "資料"}));

  // Selecting it again is no change.
  view_.SetSelectedDir(target + "/");
  EXPECT_EQ(changes_.size(), 1u);
  EXPECT_EQ(view_.Namespace().ListingCount(), 4);
}

// Folders whose names differ only in what CP932 lacks are two folders,
// each labelled with its true characters and leading to its own path; a
// home folder whose name isn't UTF-8 is still the home.
TEST_F(KyFlatDirViewTest, EveryFolderKeepsItsOwnNameAndPath) {
  const fs::path home = dir_.Path() / "\x83\x7A\x81\x5B\x83\x80";  // ホーム in Shift-JIS bytes
  const testing::TScopedHome scopedHome(home);
  const struct {
    const char* native;
    const char* label;
  } folders[] = {{"\xC3\xA8", "è"}, {"\xC3\xA9", "é"}, {"\xC6\xFC", "\\xC6\\xFC"}, {"\xF0\x9F\x98\x80", "😀"}};
  for (const auto& folder : folders) fs::create_directories(home / folder.native);
  view_.Rebuild();
  ASSERT_EQ(TKyFlatDirView::GetNodeDir(Root()->child(0)), platform::Cp932FormOfName(home.string()));
  for (const auto& folder : folders) {
    const std::string path = platform::Cp932FormOfName((home / folder.native).string());
    view_.SetSelectedDir(path);
    EXPECT_EQ(view_.GetSelectedDir(), path);
    EXPECT_EQ(platform::NativePath(changes_.back()), (home / folder.native).string());
    EXPECT_EQ(view_.currentItem()->text(0), QString::fromUtf8(folder.label));
  }
  EXPECT_EQ(Root()->child(0)->childCount(), static_cast<int>(std::size(folders)));
}

TEST_F(KyFlatDirViewTest, APathThatNamesNoDirectoryLeavesTheSelection) {
  fs::create_directories(dir_.Path() / "a");
  dir_.Write("a/file.txt", "x");
  view_.Rebuild();
  view_.SetSelectedDir(dir_.String() + "/a");
  ASSERT_EQ(changes_.size(), 1u);
  for (const std::string& path : {dir_.String() + "/a/missing", dir_.String() + "/a/file.txt",
                                  std::string("a"), std::string()}) {
    view_.SetSelectedDir(path);
    EXPECT_EQ(view_.GetSelectedDir(), dir_.String() + "/a") << path;
  }
  EXPECT_EQ(changes_.size(), 1u);
}

TEST_F(KyFlatDirViewTest, TheComputerGivesItsName) {
  fs::create_directories(dir_.Path() / "a");
  view_.Rebuild();
  view_.SetSelectedDir(dir_.String() + "/a");
  Click(Root());
  EXPECT_EQ(view_.GetSelectedDir(), Sjis("コンピュータ"));
  EXPECT_EQ(changes_.back(), Sjis("コンピュータ"));
}

TEST_F(KyFlatDirViewTest, FoldersMadeLaterShowAfterARebuild) {
  fs::create_directories(dir_.Path() / "a");
  view_.Rebuild();
  view_.SetSelectedDir(dir_.String());
  EXPECT_EQ(ChildNames(view_.currentItem()), std::vector<std::string>{"a"});
  fs::create_directories(dir_.Path() / "new");
  view_.collapseItem(view_.currentItem());
  view_.expandItem(view_.currentItem());
  EXPECT_EQ(ChildNames(view_.currentItem()), std::vector<std::string>{"a"});

  view_.Rebuild();
  EXPECT_EQ(view_.GetSelectedDir(), "");
  view_.SetSelectedDir(dir_.String());
  EXPECT_EQ(ChildNames(view_.currentItem()), (std::vector<std::string>{"a", "new"}));
}

TEST_F(KyFlatDirViewTest, AGoneFolderIsRemovedWhenClickedAndTheSelectionStays) {
  fs::create_directories(dir_.Path() / "keep");
  fs::create_directories(dir_.Path() / "gone" / "inner");
  view_.Rebuild();
  view_.SetSelectedDir(dir_.String() + "/keep");
  view_.SetSelectedDir(dir_.String());  // the folders side by side, both in view
  view_.SetSelectedDir(dir_.String() + "/keep");
  ASSERT_EQ(changes_.size(), 3u);
  fs::remove_all(dir_.Path() / "gone");

  Click(NodeOf(dir_.String() + "/gone"));
  EXPECT_EQ(NodeOf(dir_.String() + "/gone"), nullptr);
  EXPECT_EQ(view_.GetSelectedDir(), dir_.String() + "/keep");
  EXPECT_EQ(TKyFlatDirView::GetNodeDir(view_.currentItem()), dir_.String() + "/keep");
  EXPECT_EQ(changes_.size(), 3u);

  // When the selection itself was inside the removed folder, its parent
  // takes the selection.
  fs::create_directories(dir_.Path() / "outer" / "inner");
  view_.Rebuild();
  view_.SetSelectedDir(dir_.String() + "/outer/inner");
  fs::remove_all(dir_.Path() / "outer");
  Click(NodeOf(dir_.String() + "/outer"));
  EXPECT_EQ(NodeOf(dir_.String() + "/outer"), nullptr);
  EXPECT_EQ(view_.GetSelectedDir(), dir_.String());
  EXPECT_EQ(changes_.back(), dir_.String());
}

TEST_F(KyFlatDirViewTest, AGoneHomeSendsTheSelectionToTheComputer) {
  const testing::TScopedHome home(dir_.Path() / "home");
  view_.Rebuild();
  fs::remove(dir_.Path() / "home");
  Click(Root()->child(0));
  EXPECT_EQ(Root()->child(0)->text(0), QStringLiteral("ホーム"));  // a place is not removed
  EXPECT_EQ(view_.GetSelectedDir(), Sjis("コンピュータ"));
  EXPECT_EQ(changes_, std::vector<std::string>{Sjis("コンピュータ")});
}

TEST_F(KyFlatDirViewTest, AFolderWithNothingToShowLosesItsExpandButton) {
  fs::create_directories(dir_.Path() / "empty");
  fs::create_directories(dir_.Path() / "files");
  dir_.Write("files/a.txt", "x");
  fs::create_directories(dir_.Path() / "locked" / "inner");
  view_.Rebuild();
  view_.SetSelectedDir(dir_.String());
  for (const char* name : {"empty", "files", "locked"})
    EXPECT_TRUE(HasExpandButton(NodeOf(dir_.String() + "/" + name))) << name;

  fs::permissions(dir_.Path() / "locked", fs::perms::none);
  // Root reads every folder: the tree expands as nobody for a moment.
  const bool asRoot = geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(seteuid(65534), 0);
  }
  for (const char* name : {"empty", "files", "locked"}) NodeOf(dir_.String() + "/" + name)->setExpanded(true);
  if (asRoot) {
    ASSERT_EQ(seteuid(0), 0);
  }
  fs::permissions(dir_.Path() / "locked", fs::perms::owner_all);
  for (const char* name : {"empty", "files", "locked"}) {
    QTreeWidgetItem* node = NodeOf(dir_.String() + "/" + name);
    EXPECT_EQ(node->childCount(), 0) << name;
    EXPECT_FALSE(HasExpandButton(node)) << name;
  }
}

TEST_F(KyFlatDirViewTest, BorderAndLabels) {
  EXPECT_EQ(view_.BorderColor(), platform::clBtnShadow);
  EXPECT_FALSE(view_.NoBorder());
  EXPECT_EQ(view_.frameWidth(), 1);
  view_.SetBorderColor(0x000000FF);
  EXPECT_EQ(view_.palette().color(QPalette::WindowText), QColor(Qt::red));
  view_.SetNoBorder(true);
  EXPECT_EQ(view_.frameWidth(), 0);

  EXPECT_EQ(view_.indentation(), 19);
  EXPECT_FALSE(view_.rootIsDecorated());
  EXPECT_EQ(view_.editTriggers(), QAbstractItemView::NoEditTriggers);
  view_.Rebuild();
  EXPECT_FALSE(Root()->child(0)->flags() & Qt::ItemIsEditable);
}

}  // namespace
}  // namespace tansa2
