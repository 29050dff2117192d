#pragma once
// Rows of text cells kept compactly, for lists of a million rows: the cells
// after the first are packed, each behind its length, into large blocks
// shared by all rows, and the first cell (a file name) is kept once for a run
// of rows that have the same one. A row costs its texts and about 30 bytes,
// where a string per cell would cost a heap block each.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace tansa2 {

class TRowStore {
 public:
  // Appends a row of these cells (none is allowed) and returns its index.
  int AddRow(std::span<const std::string_view> cells);
  void Clear();
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // The cells a row was given; past them its cells read as "".
  int CellCount(int row) const { return static_cast<int>(rows_[static_cast<size_t>(row)].cellCount); }
  // "" outside the table. Valid until the store is cleared or destroyed.
  std::string_view Cell(int col, int row) const;

 private:
  struct TRow {
    const char* packed;  // cells 1 and on, each a length (7 bits a byte, low first) and its bytes
    uint32_t file;       // cell 0, an index into files_
    uint32_t cellCount;
  };

  // Room for `size` bytes that stay where they are.
  char* Allocate(size_t size);
  uint32_t FileIndex(std::string_view name);

  std::vector<TRow> rows_;
  std::vector<std::string_view> files_;  // in the blocks
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;  // the unused end of the last ordinary block
  size_t freeSize_ = 0;
};

}  // namespace tansa2
