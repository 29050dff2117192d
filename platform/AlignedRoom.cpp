#include "platform/AlignedRoom.h"

#include <sys/mman.h>

namespace tansa2::platform {

TAlignedRoom NewAlignedRoom(size_t size, size_t alignment) {
  const std::align_val_t boundary{alignment};
  return TAlignedRoom(new (boundary) char[size], TAlignedDelete{boundary});
}

TAlignedRoom NewHugePageRoom(size_t size) {
  const size_t rounded = HugePageRoomSize(size);
  TAlignedRoom room = NewAlignedRoom(rounded, kHugePageSize);
  madvise(room.get(), rounded, MADV_HUGEPAGE);  // only a hint
  return room;
}

}  // namespace tansa2::platform
