#include "results/RowStore.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace tansa2 {
namespace {

// Large enough that the rest left unused at a block's end hardly counts;
// a huge page, which the system fills with one page fault.
constexpr size_t kBlockSize = platform::kHugePageSize;

size_t LengthBytes(size_t length) {
  size_t bytes = 1;
  for (; length >= 0x80; length >>= 7) ++bytes;
  return bytes;
}

char* PutLength(char* out, size_t length) {
  for (; length >= 0x80; length >>= 7) *out++ = static_cast<char>(0x80 | (length & 0x7F));
  *out++ = static_cast<char>(length);
  return out;
}

const char* GetLength(const char* in, size_t& length) {
  length = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*in++);
    length |= static_cast<size_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return in;
  }
}

}  // namespace

char* TRowStore::Allocate(size_t size, bool forRow) {
  const size_t slot = forRow ? sizeof(uint32_t) : 0;
  TBlock* last = blocks_.empty() ? nullptr : &blocks_.back();
  const auto freeBytes = [&] { return last->size - last->used - (rowCount_ - last->firstRow) * sizeof(uint32_t); };
  if (!last || size + slot > freeBytes()) {
    // A record larger than a quarter of a block gets one of its own, and the
    // next record a new block: the rows of a block must follow one another.
    const size_t need = (size + slot + sizeof(uint32_t) - 1) / sizeof(uint32_t) * sizeof(uint32_t);
    const bool own = need > kBlockSize / 4;
    platform::TAlignedRoom room =
        own ? platform::NewAlignedRoom(need, alignof(std::max_align_t)) : platform::NewHugePageRoom(kBlockSize);
    blocks_.push_back({std::move(room), own ? need : kBlockSize, rowCount_});
    last = &blocks_.back();
  }
  char* room = last->room.get() + last->used;
  last->used += size;
  if (forRow) {
    const auto slotIndex = static_cast<ptrdiff_t>(rowCount_ - last->firstRow);
    last->Offsets()[-1 - slotIndex] = static_cast<uint32_t>(room - last->room.get());
  }
  return room;
}

// Rows of one file come one after another, so only the last name is
// compared; a file met again later is simply kept again.
uint32_t TRowStore::FileIndex(std::string_view name) {
  if (!files_.empty() && files_.back() == name) return static_cast<uint32_t>(files_.size() - 1);
  char* copy = Allocate(name.size(), false);
  if (!name.empty()) std::memcpy(copy, name.data(), name.size());
  files_.emplace_back(copy, name.size());
  return static_cast<uint32_t>(files_.size() - 1);
}

int TRowStore::AddRow(std::span<const std::string_view> cells) {
  const uint32_t file = FileIndex(cells.empty() ? std::string_view() : cells[0]);
  size_t size = LengthBytes(cells.size()) + LengthBytes(file);
  for (size_t i = 1; i < cells.size(); ++i) size += LengthBytes(cells[i].size()) + cells[i].size();
  char* out = Allocate(size, true);
  ++rowCount_;
  out = PutLength(PutLength(out, cells.size()), file);
  for (size_t i = 1; i < cells.size(); ++i) {
    out = PutLength(out, cells[i].size());
    if (!cells[i].empty()) std::memcpy(out, cells[i].data(), cells[i].size());
    out += cells[i].size();
  }
  return RowCount() - 1;
}

void TRowStore::Clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  files_.clear();
  files_.shrink_to_fit();
  rowCount_ = 0;
}

const char* TRowStore::Record(int row) const {
  const auto index = static_cast<uint32_t>(row);
  const TBlock& block = *(std::ranges::upper_bound(blocks_, index, {}, &TBlock::firstRow) - 1);
  return block.room.get() + block.Offsets()[-1 - static_cast<ptrdiff_t>(index - block.firstRow)];
}

int TRowStore::CellCount(int row) const {
  size_t count = 0;
  GetLength(Record(row), count);
  return static_cast<int>(count);
}

std::string_view TRowStore::Cell(int col, int row) const {
  if (row < 0 || row >= RowCount() || col < 0) return {};
  size_t count = 0;
  size_t file = 0;
  const char* in = GetLength(GetLength(Record(row), count), file);
  if (static_cast<size_t>(col) >= count) return {};
  if (col == 0) return files_[file];
  size_t length = 0;
  for (int i = 1;; ++i) {
    in = GetLength(in, length);
    if (i == col) return {in, length};
    in += length;
  }
}

}  // namespace tansa2
