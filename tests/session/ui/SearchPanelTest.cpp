// The search panel's one list of fields: every field and box is read and
// written with the member it belongs to, and none with another's.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "session/GrepHistory.h"
#include "session/ui/SearchPanel.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

// Every text and every switch different, so a field read into the wrong
// member shows.
TGrepParam DistinctParam(bool first) {
  TGrepParam param;
  param.GrepStr = "str";
  param.GrepDir = "/dir";
  param.FileMask = "*.txt";
  param.DirMask = "sub*";
  param.SubDir = first;
  param.MatchCase = !first;
  param.NoRegExp = first;
  param.AutoCode = !first;
  return param;
}

TEST(SearchPanelTest, ParametersAndOptionsComeBackAsApplied) {
  testing::QtApp();
  TSearchPanel panel;
  for (bool first : {true, false}) {
    SCOPED_TRACE(first);
    const TGrepParam param = DistinctParam(first);
    panel.ApplyGrepParam(param);
    // All eight members, as the history stores them.
    EXPECT_EQ(GrepParamText(panel.ReadGrepParam()), GrepParamText(param));
    const TGrepOptions options = panel.ReadGrepOptions();
    EXPECT_EQ(options.SubDirectory, param.SubDir);
    EXPECT_EQ(options.MatchCase, param.MatchCase);
    EXPECT_EQ(options.NoRegExp, param.NoRegExp);
    EXPECT_EQ(options.AutoCode, param.AutoCode);
    panel.ApplyGrepOptions({param.NoRegExp, param.MatchCase, param.SubDir, param.AutoCode});
    EXPECT_EQ(panel.KyFlatCheckBoxGrepMatchCase->isChecked(), param.NoRegExp);
    EXPECT_EQ(panel.KyFlatCheckBoxGrepNoRegExp->isChecked(), param.MatchCase);
    EXPECT_EQ(panel.KyFlatCheckBoxGrepAutoCode->isChecked(), param.SubDir);
    EXPECT_EQ(panel.KyFlatCheckBoxGrepSubDir->isChecked(), param.AutoCode);
  }
}

TEST(SearchPanelTest, HistoriesGoToTheirFieldsAndStartOnlyTheFieldsAskedFor) {
  testing::QtApp();
  TSearchPanel panel;
  TGrepInfo grep;
  grep.String = "s1,s2";
  grep.Directory = "/d1";
  grep.FileMask = "*.c,*.h";
  grep.DirectoryMask = "m1";
  grep.MaxHistory = 5;
  panel.ApplyGrepInfo(grep);
  const TGrepInfo read = panel.ReadGrepInfo(TGrepInfo{});
  EXPECT_EQ(read.String, grep.String);
  EXPECT_EQ(read.Directory, grep.Directory);
  EXPECT_EQ(read.FileMask, grep.FileMask);
  EXPECT_EQ(read.DirectoryMask, grep.DirectoryMask);

  grep.LastDirectory = true;
  grep.LastDirectoryMask = true;
  TGrepParam defaults;
  defaults.GrepStr = "typed";
  defaults.FileMask = "kept";
  const TGrepParam texts = panel.NewestTexts(grep, defaults);
  EXPECT_EQ(texts.GrepStr, "typed");
  EXPECT_EQ(texts.GrepDir, "/d1");
  EXPECT_EQ(texts.FileMask, "kept");
  EXPECT_EQ(texts.DirMask, "m1");
}

}  // namespace
}  // namespace tansa2
