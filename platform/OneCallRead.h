#pragma once
// Reading a file whole with one call to the kernel instead of four (open,
// describe, read, close). On a search of thousands of small files those
// calls cost more than reading and searching the text; the open, the reads
// and the close go to the kernel together through an io_uring. Where there
// is none (an old kernel, a sandbox that forbids it, a build without
// liburing), or the file doesn't end within the room the reader offers it,
// the caller reads it the ordinary way.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileIO.h"

namespace tansa2::platform {

struct TOneCallRead {
  enum class TOutcome {
    Read,       // `text` is the whole file
    OverLimit,  // the file holds the size limit's bytes or more; `text` is unset
    NotRead,    // read it the ordinary way: also for a file that can't be opened or read
  };
  TOutcome outcome = TOutcome::NotRead;
  // Read: the whole file. NotRead: what was taken of the file already, its
  // first bytes, which a pipe or a FIFO no longer holds when it is opened again.
  std::string_view text;
};

// The file into `buffer`, as much of it as the buffer's room holds now
// (grown first to `listedSize`, when the listing gave it). A file that is
// there and readable but isn't read is one longer than that room, one the
// kernel hands out piece by piece (what /proc shows), or one whose pages
// aren't all in memory yet.
TOneCallRead ReadInOneCall(const std::string& cp932Path, TReadBuffer& buffer, std::optional<uint64_t> listedSize,
                           uint64_t sizeLimit);

}  // namespace tansa2::platform
