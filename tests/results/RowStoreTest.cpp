#include "results/RowStore.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tansa2 {
namespace {

using TCells = std::vector<std::string>;

int Add(TRowStore& store, const TCells& cells) {
  const std::vector<std::string_view> views(cells.begin(), cells.end());
  return store.AddRow(views);
}

// Cells of every length class the packing treats apart: empty, one length
// byte, two and three length bytes, a block of its own, and bytes 0x00 and
// 0x80 to 0xFF, which lengths are made of.
TEST(RowStoreTest, EveryCellComesBackAsGiven) {
  const std::string binary("a\0\x80\xff\x7f", 5);
  const std::vector<TCells> rows = {
      {"/d/a.txt", "1", "line", "1", "4"},
      {"/d/a.txt", "", std::string(127, 'x'), std::string(128, 'y'), ""},
      {"/d/b.txt", "22", std::string(16384, 'z'), binary},
      {"/d/b.txt", "3", std::string(300000, 'w'), "9", "1"},
      {""},
      {},
      {"/d/a.txt", "x"},
  };
  TRowStore store;
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(Add(store, rows[i]), static_cast<int>(i));
  ASSERT_EQ(store.RowCount(), static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    SCOPED_TRACE("row " + std::to_string(r));
    EXPECT_EQ(store.CellCount(static_cast<int>(r)), static_cast<int>(rows[r].size()));
    for (size_t c = 0; c < rows[r].size(); ++c) {
      EXPECT_EQ(store.Cell(static_cast<int>(c), static_cast<int>(r)), rows[r][c]) << "cell " << c;
    }
    EXPECT_EQ(store.Cell(static_cast<int>(rows[r].size()), static_cast<int>(r)), "") << "past the row's cells";
  }
  for (const auto& [col, row] : {std::pair{0, -1}, {0, 7}, {-1, 0}}) EXPECT_EQ(store.Cell(col, row), "");
}

// A million rows fill many blocks, some rows with a block of their own;
// every row finds its own cells, and texts already handed out stay where
// they are while more rows come.
TEST(RowStoreTest, TextsStayPutWhileRowsAreAdded) {
  TRowStore store;
  Add(store, {"/d/first.txt", "1", "the first line", "1", "3"});
  const std::string_view first = store.Cell(2, 0);
  const auto line = [](int i) { return i % 99991 == 0 ? std::string(400000, 'L') : "line " + std::to_string(i); };
  for (int i = 1; i < 1000000; ++i) {
    const std::string number = std::to_string(i);
    Add(store, {"/d/f" + std::to_string(i / 1000) + ".txt", number, line(i), "1", "4"});
  }
  for (int i = 1; i < 1000000; ++i) {
    ASSERT_EQ(store.Cell(1, i), std::to_string(i));
    ASSERT_EQ(store.Cell(2, i), line(i));
    ASSERT_EQ(store.CellCount(i), 5);
  }
  EXPECT_EQ(first, "the first line");
  EXPECT_EQ(store.Cell(2, 999999), "line 999999");
  EXPECT_EQ(store.Cell(0, 999999), "/d/f999.txt");
  EXPECT_EQ(store.Cell(0, 1000), "/d/f1.txt");

  store.Clear();
  EXPECT_EQ(store.RowCount(), 0);
  EXPECT_EQ(Add(store, {"/d/again.txt", "2"}), 0);
  EXPECT_EQ(store.Cell(0, 0), "/d/again.txt");
}


// Records of every size, mixed, fill blocks to their last bytes and take
// blocks of their own, file names too (a name of its own block carries no
// row); each row still finds its record.
TEST(RowStoreTest, RowsOfMixedSizesFillBlocksToTheirEnds) {
  std::mt19937 random(27);
  const size_t sizes[] = {0, 1, 3, 127, 128, 4093, 65536, 524283, 524288, 600000, 2097152};
  std::vector<TCells> rows;
  TRowStore store;
  for (int i = 0; i < 3000; ++i) {
    const size_t lineSize = random() % 3 == 0 ? sizes[random() % std::size(sizes)] : random() % 300;
    const size_t nameSize = random() % 50 == 0 ? sizes[random() % std::size(sizes)] : 8;
    const std::string name = rows.empty() || random() % 4 == 0 ? std::string(nameSize, static_cast<char>('a' + i % 26))
                                                                : rows.back()[0];
    rows.push_back({name, std::to_string(i), std::string(lineSize, static_cast<char>(i))});
    ASSERT_EQ(Add(store, rows.back()), i);
  }
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      ASSERT_EQ(store.Cell(static_cast<int>(c), static_cast<int>(r)), rows[r][c]) << "row " << r << " cell " << c;
}

}  // namespace
}  // namespace tansa2
