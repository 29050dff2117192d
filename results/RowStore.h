#pragma once
// Rows of text cells kept compactly, for lists of a million rows: each row
// is one record (its cell count, its file and the cells after the first,
// each behind its length) packed into large blocks, and the first cell (a
// file name) is kept once for a run of rows that have the same one. A row
// costs its texts and about 8 bytes, where a string per cell would cost a
// heap block each.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/AlignedRoom.h"

namespace tansa2 {

class TRowStore {
 public:
  // Appends a row of these cells (none is allowed) and returns its index.
  int AddRow(std::span<const std::string_view> cells);
  void Clear();
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // The cells a row was given; past them its cells read as "".
  int CellCount(int row) const;
  // "" outside the table. Valid until the store is cleared or destroyed.
  std::string_view Cell(int col, int row) const;

 private:
  // Room for `size` bytes that stay where they are, in the last block.
  char* Allocate(size_t size);
  uint32_t FileIndex(std::string_view name);
  // Where a row's record begins.
  const char* Record(int row) const;

  // Each row's record as an offset into its block. A record lies in the
  // block that was last when it was added, so the rows of a block follow
  // one another and blockFirstRows_ tells a row's block.
  std::vector<uint32_t> rows_;
  std::vector<std::string_view> files_;  // in the blocks
  std::vector<platform::TAlignedRoom> blocks_;
  std::vector<uint32_t> blockFirstRows_;  // the rows added before each block
  size_t used_ = 0;                       // bytes used of the last block
  size_t lastSize_ = 0;                   // its size
};

}  // namespace tansa2
