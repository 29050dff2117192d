#include "results/CSVList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "results/QuietAbort.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using Cells = std::vector<std::string>;

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(CSVListTest, CellsKeepEveryRowAtColCount) {
  TCSVList list;
  EXPECT_EQ(list.AddRow(""), 0);
  EXPECT_EQ(list.ColCount(), 0);
  list.SetCells(4, 0, "e");
  EXPECT_EQ(list.ColCount(), 5);
  EXPECT_EQ(list.AddRow("a,b"), 1);
  EXPECT_EQ(list.Row(1), (Cells{"a", "b", "", "", ""}));
  list.AddRow("1,2,3,4,5,6");
  EXPECT_EQ(list.ColCount(), 6);
  EXPECT_EQ(list.Row(0), (Cells{"", "", "", "", "e", ""}));

  EXPECT_EQ(list.Cells(4, 0), "e");
  EXPECT_EQ(list.Cells(6, 0) + list.Cells(-1, 0) + list.Cells(0, 3) + list.Cells(0, -1), "");
  list.SetCells(0, 3, "ignored");
  list.SetCells(0, -1, "ignored");
  list.SetCells(-1, 0, "ignored");
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.ColCount(), 6);

  list.SetColCount(2);
  EXPECT_EQ(list.Row(2), (Cells{"1", "2"}));
  list.SetColCount(-1);
  list.Clear();
  EXPECT_EQ(list.ColCount(), 2);
  list.AddRow("x");
  EXPECT_EQ(list.Row(0), (Cells{"x", ""}));
}

TEST(CSVListTest, LoadPadsToWidestRowAndSplitsAllLineEnds) {
  testing::TTempDir dir;
  const std::string file = dir.Write(
      "r.csv", "  a,b,c  \r\n\r\n   \t\n1,2,3,4,5\rp,\"q r  \",s,t\n\n\"\"\r\n\"x\ny\"");
  TCSVList list;
  list.AddRow("old");
  ASSERT_TRUE(list.LoadFromFile(file));
  EXPECT_EQ(list.ColCount(), 5);
  ASSERT_EQ(list.RowCount(), 6);
  EXPECT_EQ(list.Row(0), (Cells{"a", "b", "c", "", ""}));
  EXPECT_EQ(list.Row(1), (Cells{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(list.Row(2), (Cells{"p", "q r  ", "s", "t", ""}));
  EXPECT_EQ(list.Row(3), (Cells{"", "", "", "", ""}));
  // A break inside quotes splits the line; the unclosed quote takes the rest.
  EXPECT_EQ(list.Row(4), (Cells{"x", "", "", "", ""}));
  EXPECT_EQ(list.Row(5), (Cells{"y\"", "", "", "", ""}));
}

TEST(CSVListTest, LoadStopsAtFirstNul) {
  testing::TTempDir dir;
  const std::string file = dir.Write("r.csv", std::string("a,b\r\nc,d\0e\r\nf,g,h\r\n", 19));
  TCSVList list;
  ASSERT_TRUE(list.LoadFromFile(file));
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.Row(1), (Cells{"c", "d"}));
  EXPECT_EQ(list.ColCount(), 2);

  ASSERT_TRUE(list.LoadFromFile(dir.Write("empty.csv", " \r\n\r\n")));
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.ColCount(), 0);
}

TEST(CSVListTest, UnreadableFileAbortsQuietlyAndKeepsRows) {
  testing::TTempDir dir;
  TCSVList list;
  list.AddRow("a,b");
  EXPECT_THROW(list.LoadFromFile(dir.String() + "/missing.csv"), EQuietAbort);
  EXPECT_THROW(list.LoadFromFile(dir.String()), EQuietAbort);
  ASSERT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.Row(0), (Cells{"a", "b"}));
  EXPECT_EQ(list.ColCount(), 2);
}

TEST(CSVListTest, SaveWritesCrLfLinesThatLoadBack) {
  testing::TTempDir dir;
  const std::string sjis = platform::Utf8ToCp932("表示\\ソポ|");
  TCSVList list;
  list.AddRow("");
  list.SetCells(0, 0, "/d/my file.txt");
  list.SetCells(1, 0, "12");
  list.SetCells(2, 0, "  \tx \"q\", y  ");
  list.SetCells(3, 0, sjis);
  list.AddRow("");
  list.AddRow("only");
  TCSVList single;
  single.AddRow("\"\"");

  // The folders below the temporary one don't exist yet; a Japanese name
  // goes through the CP932 path.
  const std::string name = dir.String() + "/" + platform::Utf8ToCp932("結果") + "/sub/r.csv";
  list.SaveToFile(name);
  const auto native = dir.Path() / "結果" / "sub" / "r.csv";
  EXPECT_EQ(ReadBytes(native),
            "\"/d/my file.txt\",12,\"  \tx \"\"q\"\", y  \"," + sjis + "\r\n,,,\r\nonly,,,\r\n");

  TCSVList loaded;
  ASSERT_TRUE(loaded.LoadFromFile(name));
  ASSERT_EQ(loaded.RowCount(), 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(loaded.Row(row), list.Row(row));

  single.SaveToFile(name);
  EXPECT_EQ(ReadBytes(native), "\"\"\r\n");
  loaded.LoadFromFile(name);
  EXPECT_EQ(loaded.ColCount(), 1);

  // Saving again replaces the file.
  list.Clear();
  list.SaveToFile(name);
  EXPECT_EQ(ReadBytes(native), "");
}

// A table larger than the writer's buffer is saved in pieces that add up
// to its text and load back as the same rows.
TEST(CSVListTest, ALargeTableIsSavedWhole) {
  testing::TTempDir dir;
  TCSVList list;
  for (int i = 0; i < 20000; ++i) {
    list.AddRow("");
    list.SetCells(0, i, "/d/file" + std::to_string(i) + ".txt");
    list.SetCells(1, i, std::string(10 + i % 80, "x,\" \t"[i % 5]));
  }
  const std::string name = dir.String() + "/r.csv";
  list.SaveToFile(name);
  EXPECT_EQ(ReadBytes(name), list.Text());
  TCSVList loaded;
  ASSERT_TRUE(loaded.LoadFromFile(name));
  ASSERT_EQ(loaded.RowCount(), list.RowCount());
  for (int row = 0; row < list.RowCount(); row += 997) EXPECT_EQ(loaded.Row(row), list.Row(row));
}

TEST(CSVListTest, SaveThrowsWhenFileCantBeWritten) {
  testing::TTempDir dir;
  const std::string blocker = dir.Write("plain", "x");
  TCSVList list;
  list.AddRow("a");
  EXPECT_THROW(list.SaveToFile(blocker + "/r.csv"), platform::EInOutError);  // a file stands where the folder should be
  EXPECT_THROW(list.SaveToFile(dir.String()), platform::EInOutError);        // a folder stands where the file should be
  EXPECT_EQ(ReadBytes(blocker), "x");
}

}  // namespace
}  // namespace tansa2
