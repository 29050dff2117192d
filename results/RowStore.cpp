#include "results/RowStore.h"

#include <cstring>

namespace tansa2 {
namespace {

// Large enough that a block's header and the rest left unused at its end
// hardly count; a record larger than a quarter of it gets a block of its own.
constexpr size_t kBlockSize = size_t{1} << 20;

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

char* TRowStore::Allocate(size_t size) {
  if (size > kBlockSize / 4) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    return blocks_.back().get();
  }
  if (size > freeSize_) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
    free_ = blocks_.back().get();
    freeSize_ = kBlockSize;
  }
  char* room = free_;
  free_ += size;
  freeSize_ -= size;
  return room;
}

// Rows of one file come one after another, so only the last name is
// compared; a file met again later is simply kept again.
uint32_t TRowStore::FileIndex(std::string_view name) {
  if (!files_.empty() && files_.back() == name) return static_cast<uint32_t>(files_.size() - 1);
  char* copy = Allocate(name.size());
  if (!name.empty()) std::memcpy(copy, name.data(), name.size());
  files_.emplace_back(copy, name.size());
  return static_cast<uint32_t>(files_.size() - 1);
}

int TRowStore::AddRow(std::span<const std::string_view> cells) {
  TRow row{nullptr, FileIndex(cells.empty() ? std::string_view() : cells[0]),
           static_cast<uint32_t>(cells.size())};
  size_t size = 0;
  for (size_t i = 1; i < cells.size(); ++i) size += LengthBytes(cells[i].size()) + cells[i].size();
  if (size > 0) {
    char* out = Allocate(size);
    row.packed = out;
    for (size_t i = 1; i < cells.size(); ++i) {
      out = PutLength(out, cells[i].size());
      if (!cells[i].empty()) std::memcpy(out, cells[i].data(), cells[i].size());
      out += cells[i].size();
    }
  }
  rows_.push_back(row);
  return RowCount() - 1;
}

void TRowStore::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  files_.clear();
  files_.shrink_to_fit();
  blocks_.clear();
  free_ = nullptr;
  freeSize_ = 0;
}

std::string_view TRowStore::Cell(int col, int row) const {
  if (row < 0 || row >= RowCount() || col < 0) return {};
  const TRow& cells = rows_[static_cast<size_t>(row)];
  if (static_cast<uint32_t>(col) >= cells.cellCount) return {};
  if (col == 0) return files_[cells.file];
  const char* in = cells.packed;
  size_t length = 0;
  for (int i = 1;; ++i) {
    in = GetLength(in, length);
    if (i == col) return {in, length};
    in += length;
  }
}

}  // namespace tansa2
