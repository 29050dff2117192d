#include "settings/ToolEnvCheck.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

class ToolEnvCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_ = platform::Utf8ToCp932(dir_.Write("エディタ/edit", "#!/bin/sh\n"));
    folder_ = platform::Utf8ToCp932((dir_.Path() / "エディタ").string());
  }

  testing::TTempDir dir_;
  std::string editor_;  // an existing file, CP932
  std::string folder_;  // an existing directory, CP932
};

TEST_F(ToolEnvCheckTest, EachTextIsTrimmedJustBeforeItsCheckAndTheFirstFailureStops) {
  const std::string missing = folder_ + "/missing";
  struct TCase {
    const char* name;
    TToolEnvTexts given;
    TToolEnvField failed;
    TToolEnvTexts after;
  };
  const TCase cases[] = {
      {"all empty", {"", "", ""}, TToolEnvField::None, {"", "", ""}},
      {"parameters without a program", {"", " %F ", ""}, TToolEnvField::None, {"", "%F", ""}},
      {"program and parameters", {" " + editor_ + "\t", " +%L %F", " " + folder_ + " "}, TToolEnvField::None,
       {editor_, "+%L %F", folder_}},
      {"no such program", {" " + missing + " ", " x ", " y "}, TToolEnvField::ExeName, {missing, " x ", " y "}},
      {"a folder is no program", {folder_, "%F", ""}, TToolEnvField::ExeName, {folder_, "%F", ""}},
      {"program without parameters", {editor_, "  ", " y "}, TToolEnvField::CmdLine, {editor_, "", " y "}},
      {"no such start directory", {"", "", " " + missing}, TToolEnvField::InitialDir, {"", "", missing}},
      {"a file is no start directory", {"", "", editor_}, TToolEnvField::InitialDir, {"", "", editor_}},
  };
  for (const TCase& c : cases) {
    TToolEnvTexts texts = c.given;
    EXPECT_EQ(CheckToolEnv(texts), c.failed) << c.name;
    EXPECT_EQ(texts.ExeName, c.after.ExeName) << c.name;
    EXPECT_EQ(texts.CmdLine, c.after.CmdLine) << c.name;
    EXPECT_EQ(texts.InitialDir, c.after.InitialDir) << c.name;
  }
}

TEST(ShowInProgressTest, FlagsAndBoxes) {
  struct TCase {
    int32_t flags;
    bool count;
    bool file;
  };
  // Values other than 0 to 3 check neither box.
  for (const TCase& c : {TCase{0, false, false}, TCase{1, true, false}, TCase{2, false, true}, TCase{3, true, true},
                         TCase{7, false, false}, TCase{-1, false, false}}) {
    EXPECT_EQ(ShowsProgressCount(c.flags), c.count) << c.flags;
    EXPECT_EQ(ShowsProgressFile(c.flags), c.file) << c.flags;
  }
  EXPECT_EQ(ShowInProgressFlags(false, false), 0);
  EXPECT_EQ(ShowInProgressFlags(true, false), 1);
  EXPECT_EQ(ShowInProgressFlags(false, true), 2);
  EXPECT_EQ(ShowInProgressFlags(true, true), 3);
}

}  // namespace
}  // namespace tansa2
