#include "results/GrepResultRows.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "results/CSVList.h"
#include "results/RowFormats.h"
#include "tests/support/CsvText.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFaults.h"

namespace tansa2 {
namespace {

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class GrepResultRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rows_.AddData({"/home/u/a b.txt", 12, "\tx = \"1,2\";", 6, 5});
    rows_.AddData({"/home/u/c.txt", 1234, platform::Utf8ToCp932("日本語"), 3, 2});
  }
  std::string Saved(int saveType) {
    const std::string file = (dir_.Path() / "out.txt").string();
    rows_.SaveToFile(file, saveType);
    return ReadBytes(file);
  }

  // Whether saving threw an error that names the file and gives a reason.
  bool Throws(const std::string& file, int saveType) {
    try {
      rows_.SaveToFile(file, saveType);
    } catch (const platform::EInOutError& error) {
      const std::string message = error.what();
      return message.find(file) != std::string::npos && message.back() != ' ';
    }
    return false;
  }

  testing::TTempDir dir_;
  TGrepResultRows rows_;
  int saveType_ = stCsv;
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
  EXPECT_EQ(rows_.AddData({"f", 1, "x", 1, 1}), 0);
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
  const int added = rows_.AddData({"g", 5, "text", 1, 4});
  EXPECT_EQ(rows_.MatchLen(added), 4);
}

// A history file is read back into the list and written again as the row
// table itself would: the same rows, cells and widths, whatever the file holds.
TEST_F(GrepResultRowsTest, ALoadedFileIsWrittenBackAsTheRowTableWritesIt) {
  const std::string files[] = {
      "/d/a.txt,12,\"\tx = \"\"1,2\"\";\",6,5\r\n/d/a.txt,13,plain,1,5\r\n/d/b.txt,1,z,1,1\r\n",
      "f,+7,line,0012,-3\r\nshort,1\nwide,1,2,3,4,5,6\r  \r\n\"\"\r\n  spaced   cells ,\r\n",
      "a,1,x,1,1\r\nb,2,y\0,2,2\r\nnever read\r\n",
      "\r\n\r\n",
  };
  for (const std::string& text : files) {
    SCOPED_TRACE(text);
    const std::string file = dir_.Write("entry.csv", text);
    TCSVList table;
    table.LoadFromFile(file);
    rows_.LoadFromFile(file);
    EXPECT_EQ(rows_.DataCount(), table.RowCount());
    EXPECT_EQ(testing::CsvText(rows_), table.Text());
  }
  // A table widened by a file stays as wide for the next search's rows.
  rows_.LoadFromFile(dir_.Write("wide.csv", "f,1,x,1,1,extra\r\n"));
  rows_.ClearData();
  rows_.AddData({"g", 2, "y", 1, 1});
  EXPECT_EQ(testing::CsvText(rows_), "g,2,y,1,1,\r\n");
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

// A save that fails says why and leaves the earlier file whole, in every format.
TEST_F(GrepResultRowsTest, FailedSaveReportsTheReasonAndKeepsTheEarlierFile) {
  const std::string earlier = "earlier contents\r\n";
  const std::string blocker = dir_.Write("plain", "x");
  struct TFault {
    const char* what;
    std::function<bool(const std::string& file)> failsToSave;
  };
  const TFault faults[] = {
      {"no folder can stand there", [&](const std::string&) { return Throws(blocker + "/out.txt", saveType_); }},
      {"disk full",
       [&](const std::string& file) {
         const testing::TFileSizeLimit full(4096);
         for (int i = 0; i < 300; ++i) rows_.AddData({"/f", i, std::string(40, 'z'), 0, 1});
         return Throws(file, saveType_);
       }},
      {"no permission",
       [&](const std::string& file) {
         chmod(dir_.String().c_str(), 0555);
         const bool failed = testing::HoldsWithoutRoot([&] { return Throws(file, saveType_); });
         chmod(dir_.String().c_str(), 0755);
         return failed;
       }},
  };
  for (const int saveType : {stCsv, stTag, stLineOnly}) {
    for (const TFault& fault : faults) {
      SCOPED_TRACE(std::string(fault.what) + ", format " + std::to_string(saveType));
      saveType_ = saveType;
      const std::string file = dir_.Write("out.txt", earlier);
      EXPECT_TRUE(fault.failsToSave(file));
      EXPECT_EQ(ReadBytes(file), earlier);
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 2) << "a file left beside";
    }
  }
}

// A list read back from a history file is written with its cells as held,
// whatever they say.
TEST_F(GrepResultRowsTest, LoadedRowsAreSavedWithTheirLineNumberCellsAsStored) {
  const std::string file =
      dir_.Write("history.csv", "/d/a.txt,007,first,1,1\r\n/d/b.txt,12x,second,1,1\r\n/d/c.txt,+3\r\nshort\r\n");
  rows_.LoadFromFile(file);
  EXPECT_EQ(Saved(stTag), "/d/a.txt(007):first\r\n/d/b.txt(12x):second\r\n/d/c.txt(+3):\r\nshort():\r\n");
  EXPECT_EQ(Saved(stLineOnly), "first\r\nsecond\r\n\r\n\r\n");
}

// Rows the writers must take care with, then enough rows that the file is
// written in many pieces.
std::vector<TResultRow> AwkwardRows() {
  std::vector<TResultRow> rows = {
      {"/home/u/my docs/a.txt", 12, "\tx = \"a, b\";", 3, 4},
      {"/d/crlf.txt", 2, "line\r\nbroken\ronce\nmore", 1, 1},
      {"/d/\"q\",.txt", 3, "\"\"", 1, 2},
      {"/d/empty.txt", 4, "", 0, 0},
      {"/d/spaced.txt", 5, "  spaced  ", 1, 1},
      {platform::Utf8ToCp932("/d/東京.txt"), 6, platform::Utf8ToCp932("表示,ソ\"ポ\\"), 1, 2},
      {"/d/nul.txt", 7, std::string("cut\0here", 8), 1, 3},
  };
  for (int i = 0; i < 20000; ++i)
    rows.push_back({"/d/many" + std::to_string(i % 13) + ".txt", i, std::string(20 + i % 90, "ab, \"c"[i % 5]),
                    1 + i % 40, i % 7});
  return rows;
}

// Each format's file is its rows' lines, one after another, however many
// pieces it is written in.
TEST_F(GrepResultRowsTest, SavedFilesAreTheRowsLinesInOrder) {
  const std::vector<TResultRow> awkward = AwkwardRows();
  rows_.ClearData();
  for (const TResultRow& row : awkward) rows_.AddData({row.FileName, row.LineNum, row.Line, row.MatchPos, row.MatchLen});
  for (const int saveType : {stCsv, stTag, stLineOnly}) {
    SCOPED_TRACE(saveType);
    std::string expected;
    for (const TResultRow& row : awkward) expected += FormatRow(row, saveType);
    EXPECT_EQ(Saved(saveType), expected);
    if (saveType == stCsv) {
      EXPECT_EQ(testing::CsvText(rows_), expected);
    }
  }
}

// The disk fills after part of the rows has reached the temporary file.
TEST_F(GrepResultRowsTest, DiskFullPartWayThroughTheRowsKeepsTheEarlierFile) {
  rows_.ClearData();
  for (const TResultRow& row : AwkwardRows())
    rows_.AddData({row.FileName, row.LineNum, row.Line, row.MatchPos, row.MatchLen});
  for (const int saveType : {stCsv, stTag, stLineOnly}) {
    SCOPED_TRACE(saveType);
    const std::string file = dir_.Write("out.txt", "earlier\r\n");
    {
      const testing::TFileSizeLimit full(600000);
      EXPECT_TRUE(Throws(file, saveType));
    }
    EXPECT_EQ(ReadBytes(file), "earlier\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1) << "a file left beside";
  }
}

TEST_F(GrepResultRowsTest, AFolderRemovedBeforeTheSaveIsReportedForLinesAndCreatedForCsv) {
  const std::string file = (dir_.Path() / "gone" / "out.txt").string();
  for (const int saveType : {stTag, stLineOnly}) {
    EXPECT_TRUE(Throws(file, saveType));
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "gone"));
  }
  rows_.SaveToFile(file, stCsv);
  EXPECT_EQ(ReadBytes(file), testing::CsvText(rows_));
}

}  // namespace
}  // namespace tansa2
