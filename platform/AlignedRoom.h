#pragma once
// Uninitialised memory on a chosen boundary, and memory of whole huge pages
// for buffers that grow large and are filled front to back.
#include <cstddef>
#include <memory>
#include <new>

namespace tansa2::platform {

constexpr size_t kHugePageSize = size_t{2} << 20;

struct TAlignedDelete {
  std::align_val_t alignment;
  void operator()(char* data) const { ::operator delete[](data, alignment); }
};
using TAlignedRoom = std::unique_ptr<char[], TAlignedDelete>;

// `size` bytes on a boundary of `alignment` bytes (a power of two).
TAlignedRoom NewAlignedRoom(size_t size, size_t alignment);
// `size` bytes rounded up to whole 2 MB huge pages, on a huge page boundary,
// which the system is asked to back with huge pages: filling the room then
// takes a page fault per 2 MB instead of one per 4 KB, and where faults are
// dear (on a virtual machine a fault cost microseconds) that was a fifth of
// storing a million result rows. Without huge pages the room is as good.
TAlignedRoom NewHugePageRoom(size_t size);
// What NewHugePageRoom gives for `size`.
constexpr size_t HugePageRoomSize(size_t size) { return (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize; }

}  // namespace tansa2::platform
