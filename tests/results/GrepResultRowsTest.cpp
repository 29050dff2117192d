#include "results/GrepResultRows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/CodePage.h"
#include "results/RowFormats.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class GrepResultRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rows_.AddData("/home/u/a b.txt", 12, "\tx = \"1,2\";", 6, 5);
    rows_.AddData("/home/u/c.txt", 1234, platform::Utf8ToCp932("日本語"), 3, 2);
  }
  std::string Saved(int saveType) {
    const std::string file = (dir_.Path() / "out.txt").string();
    rows_.SaveToFile(file, saveType);
    return ReadBytes(file);
  }

  testing::TTempDir dir_;
  TGrepResultRows rows_;
};

TEST_F(GrepResultRowsTest, GettersGiveTheCellsAndEmptyOrMinusOneOutsideTheRows) {
  EXPECT_EQ(rows_.DataCount(), 2);
  EXPECT_EQ(rows_.FileName(1), "/home/u/c.txt");
  EXPECT_EQ(rows_.LineNum(1), 1234);
  EXPECT_EQ(rows_.LineNumText(1), "1234");
  EXPECT_EQ(rows_.Line(1), platform::Utf8ToCp932("日本語"));
  EXPECT_EQ(rows_.MatchPos(1), 3);
  EXPECT_EQ(rows_.MatchLen(1), 2);
  for (int index : {-1, 2}) {
    EXPECT_EQ(rows_.FileName(index), "");
    EXPECT_EQ(rows_.Line(index), "");
    EXPECT_EQ(rows_.LineNum(index), -1);
    EXPECT_EQ(rows_.MatchPos(index), -1);
    EXPECT_EQ(rows_.MatchLen(index), -1);
  }
  rows_.ClearData();
  EXPECT_EQ(rows_.DataCount(), 0);
  EXPECT_EQ(rows_.AddData("f", 1, "x", 1, 1), 0);
}

TEST_F(GrepResultRowsTest, NumberCellsThatAreNotNumbersGiveMinusOne) {
  const std::string file = dir_.Write("damaged.csv", "f,12x,line,,99999999999\r\nf,+7,line,-3,4\r\nshort\r\n");
  rows_.LoadFromFile(file);
  ASSERT_EQ(rows_.DataCount(), 3);
  EXPECT_EQ(rows_.LineNum(0), -1);
  EXPECT_EQ(rows_.MatchPos(0), -1);
  EXPECT_EQ(rows_.MatchLen(0), -1);
  EXPECT_EQ(rows_.LineNum(1), 7);
  EXPECT_EQ(rows_.MatchPos(1), -3);
  EXPECT_EQ(rows_.Line(2), "");
  EXPECT_EQ(rows_.LineNum(2), -1);
  // Rows added after a narrower file still get all five cells.
  const int added = rows_.AddData("g", 5, "text", 1, 4);
  EXPECT_EQ(rows_.MatchLen(added), 4);
}

TEST_F(GrepResultRowsTest, SavesTheThreeFormats) {
  EXPECT_EQ(Saved(stCsv),
            "\"/home/u/a b.txt\",12,\"\tx = \"\"1,2\"\";\",6,5\r\n/home/u/c.txt,1234," +
                platform::Utf8ToCp932("日本語") + ",3,2\r\n");
  EXPECT_EQ(Saved(stTag), "/home/u/a b.txt(12):\tx = \"1,2\";\r\n/home/u/c.txt(1234):" +
                              platform::Utf8ToCp932("日本語") + "\r\n");
  const std::string lines = "\tx = \"1,2\";\r\n" + platform::Utf8ToCp932("日本語") + "\r\n";
  EXPECT_EQ(Saved(stLineOnly), lines);
  EXPECT_EQ(Saved(7), lines);
}

TEST_F(GrepResultRowsTest, TagAndLineFilesThatCantBeCreatedAreSkipped) {
  const std::filesystem::path missing = dir_.Path() / "missing" / "out.txt";
  rows_.SaveToTagFile(missing.string());
  rows_.SaveToLineOnlyFile(missing.string());
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));

  const std::string existing = dir_.Write("old.txt", "old contents that are longer");
  rows_.ClearData();
  rows_.SaveToTagFile(existing);
  EXPECT_EQ(ReadBytes(existing), "");
}

}  // namespace
}  // namespace tansa2
