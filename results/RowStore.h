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
  int RowCount() const { return static_cast<int>(rowCount_); }
  // The cells a row was given; past them its cells read as "".
  int CellCount(int row) const;
  // "" outside the table. Valid until the store is cleared or destroyed.
  std::string_view Cell(int col, int row) const;

 private:
  // A block holds records from its front and, from its back, the offset of
  // each of its rows' records, so that the index of a million rows grows in
  // memory already taken for their texts, never copied to a larger array.
  // The rows of a block follow one another: a row's block is the last one
  // whose first row isn't after it.
  struct TBlock {
    platform::TAlignedRoom room;
    size_t size;
    uint32_t firstRow;  // the rows added before the block
    size_t used = 0;    // bytes taken from the front
    uint32_t* Offsets() const { return reinterpret_cast<uint32_t*>(room.get() + size); }  // counting down
  };

  // Room for `size` bytes that stay where they are, in the last block, with
  // an offset slot for a new row when `forRow`.
  char* Allocate(size_t size, bool forRow);
  uint32_t FileIndex(std::string_view name);
  // Where a row's record begins.
  const char* Record(int row) const;

  std::vector<TBlock> blocks_;
  std::vector<std::string_view> files_;  // in the blocks
  uint32_t rowCount_ = 0;
};

}  // namespace tansa2
