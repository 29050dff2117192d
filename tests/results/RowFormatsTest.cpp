#include "results/RowFormats.h"

#include <gtest/gtest.h>

#include "results/CommaText.h"

namespace tansa2 {
namespace {

const TResultRow kRow{"/home/u/my docs/a.txt", 12, "\tx = \"a, b\";", 3, 4};

TEST(RowFormatsTest, CsvQuotesAwkwardCellsAndReadsBack) {
  const std::string line = CsvLine(kRow);
  EXPECT_EQ(line, "\"/home/u/my docs/a.txt\",12,\"\tx = \"\"a, b\"\";\",3,4\r\n");
  EXPECT_EQ(FromCommaText(line.substr(0, line.size() - 2)),
            (std::vector<std::string>{kRow.FileName, "12", kRow.Line, "3", "4"}));
}

TEST(RowFormatsTest, TagAndLineOnlyWriteTextUnquoted) {
  EXPECT_EQ(TagJumpLine(kRow), "/home/u/my docs/a.txt(12):\tx = \"a, b\";\r\n");
  EXPECT_EQ(LineOnlyLine(kRow), "\tx = \"a, b\";\r\n");
  EXPECT_EQ(LineOnlyLine(TResultRow{}), "\r\n");
}

TEST(RowFormatsTest, FormatRowDispatchesOnSaveType) {
  EXPECT_EQ(FormatRow(kRow, stCsv), CsvLine(kRow));
  EXPECT_EQ(FormatRow(kRow, stTag), TagJumpLine(kRow));
  EXPECT_EQ(FormatRow(kRow, stLineOnly), LineOnlyLine(kRow));
  EXPECT_EQ(FormatRow(kRow, 7), LineOnlyLine(kRow));
  EXPECT_EQ(FormatRow(kRow, -1), LineOnlyLine(kRow));
}

}  // namespace
}  // namespace tansa2
