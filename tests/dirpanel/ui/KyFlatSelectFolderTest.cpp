#include "dirpanel/ui/KyFlatSelectFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "dirpanel/ui/KyFlatDirView.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

namespace fs = std::filesystem;

// The process's current directory is `dir` while the object lives.
class TCurrentDir {
 public:
  explicit TCurrentDir(const fs::path& dir) : saved_(fs::current_path()) { fs::current_path(dir); }
  ~TCurrentDir() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

// Runs `act` on the dialog once it is shown modally.
bool ExecuteWith(TKyFlatSelectFolder& select, const std::function<void(TKyFlatFormSelectFolder&)>& act) {
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (auto* form = qobject_cast<TKyFlatFormSelectFolder*>(QApplication::activeModalWidget())) {
      timer.stop();
      act(*form);
    }
  });
  timer.start();
  return select.Execute();
}

TEST(KyFlatSelectFolderTest, RelativePathsEndWithASeparator) {
  const struct {
    const char* dir;
    const char* base;
    const char* relative;
  } cases[] = {
      {"/a/b/c", "/a", "b/c/"},  {"/a", "/a", "./"},       {"/a/b", "/a/b/", "./"},
      {"/a/x", "/a/b", "../x/"}, {"/", "/a/b", "../../"}, {"/ab", "/a", "../ab/"},
  };
  for (const auto& c : cases) EXPECT_EQ(RelativeDirPath(c.dir, c.base), c.relative) << c.dir << " " << c.base;
}

TEST(KyFlatSelectFolderTest, TheWindowOffersOnlyExistingFolders) {
  testing::QtApp();
  testing::TTempDir dir;
  fs::create_directories(dir.Path() / "sub");
  TKyFlatFormSelectFolder form(QStringLiteral("c"), QStringLiteral("p"), false);
  EXPECT_EQ(form.size(), QSize(401, 297));
  EXPECT_TRUE(form.CheckBoxRelativePath->isHidden());
  EXPECT_FALSE(form.KyFlatDirView->NoBorder());
  EXPECT_EQ(form.KyFlatDirView->BorderColor(), platform::clBtnShadow);
  EXPECT_FALSE(form.ButtonOk->isEnabled());
  EXPECT_TRUE(form.ButtonOk->isDefault());
  {
    // A relative folder is taken from the current directory.
    const TCurrentDir current(dir.Path());
    form.SelectDir("sub");
  }
  EXPECT_EQ(form.KyFlatDirView->GetSelectedDir(), dir.String() + "/sub");
  EXPECT_TRUE(form.ButtonOk->isEnabled());
  form.KyFlatDirView->setCurrentItem(form.KyFlatDirView->topLevelItem(0));
  EXPECT_FALSE(form.ButtonOk->isEnabled());
}

TEST(KyFlatSelectFolderTest, ExecuteGivesTheChosenFolder) {
  testing::QtApp();
  testing::TTempDir dir;
  fs::create_directories(dir.Path() / "a" / "b");
  const std::string b = dir.String() + "/a/b";

  TKyFlatSelectFolder select;
  select.SelectDir = b;
  QString caption, prompt;
  EXPECT_TRUE(ExecuteWith(select, [&](TKyFlatFormSelectFolder& form) {
    caption = form.windowTitle();
    prompt = form.findChild<QLabel*>()->text();
    form.ButtonOk->click();
  }));
  EXPECT_EQ(caption, QStringLiteral("フォルダ選択"));
  EXPECT_EQ(prompt, QStringLiteral("フォルダを選択してください。"));
  EXPECT_EQ(select.SelectDir, b);

  // Ticked, the folder comes relative to CurrentDir.
  select.RelativePath = true;
  select.CurrentDir = dir.String() + "/c";
  select.CaptionString = "Folder";
  EXPECT_TRUE(ExecuteWith(select, [&](TKyFlatFormSelectFolder& form) {
    caption = form.windowTitle();
    EXPECT_FALSE(form.CheckBoxRelativePath->isHidden());
    form.CheckBoxRelativePath->setChecked(true);
    form.ButtonOk->click();
  }));
  EXPECT_EQ(caption, QStringLiteral("Folder"));
  EXPECT_EQ(select.SelectDir, "../a/b/");

  // Cancelled, nothing changes; a relative SelectDir is taken from the
  // current directory.
  {
    const TCurrentDir current(dir.Path() / "a");
    select.SelectDir = "b";
    std::string shown;
    EXPECT_FALSE(ExecuteWith(select, [&](TKyFlatFormSelectFolder& form) {
      shown = form.KyFlatDirView->GetSelectedDir();
      form.ButtonCancel->click();
    }));
    EXPECT_EQ(shown, b);
  }
  EXPECT_EQ(select.SelectDir, "b");
}

}  // namespace
}  // namespace tansa2
