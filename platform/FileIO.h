#pragma once
// Files as the engine uses them: read whole in one go, or opened read-only
// for the raw line reader. Paths are CP932.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/AlignedRoom.h"

namespace tansa2::platform {

// A file operation that failed, with the system's error number, so that
// callers can tell the reason without reading the message.
class EFileError : public std::runtime_error {
 public:
  EFileError(const std::string& message, int systemError)
      : std::runtime_error(message), systemError_(systemError) {}
  int SystemError() const { return systemError_; }

 private:
  int systemError_;
};

// A file that could not be opened ("cannot open file").
class EFOpenError : public EFileError {
 public:
  using EFileError::EFileError;
};

// A read or write that failed after the file was opened.
class EInOutError : public EFileError {
 public:
  using EFileError::EFileError;
};

// Room to read files into, one after another: it keeps its size and is
// never filled with zeros first. It starts on a page boundary: the kernel
// copies into a destination that is not cache-line aligned at a third of
// the speed, and that copy is the largest single cost of a search. Room
// beyond a small first one comes in huge pages, so that the first read
// into it takes a handful of page faults instead of one per 4 KB.
class TReadBuffer {
 public:
  // Room for at least `size` bytes; the first `keep` bytes stay as they were.
  char* Grow(size_t size, size_t keep);
  // Bytes the room holds now, at least the size last asked for.
  size_t Capacity() const { return capacity_; }

 private:
  static constexpr size_t kSmallRoom = size_t{64} << 10;

  TAlignedRoom data_;
  size_t capacity_ = 0;
};

// An open, read-only file descriptor, closed with the object.
class TReadOnlyFile {
 public:
  // Throws EFOpenError naming the file and the reason. `listedSize` is
  // the size a directory listing gave for the file, if it was listed: the
  // system is then not asked for it again.
  explicit TReadOnlyFile(const std::string& cp932Path, std::optional<uint64_t> listedSize = {});
  ~TReadOnlyFile();
  TReadOnlyFile(const TReadOnlyFile&) = delete;
  TReadOnlyFile& operator=(const TReadOnlyFile&) = delete;

  // A regular file's size, as listed or as the system told it at the open;
  // nothing for a pipe, a FIFO or a device.
  std::optional<uint64_t> Size() const { return knownSize_; }
  // Up to `size` bytes; 0 at the end. Throws EInOutError.
  size_t Read(char* buffer, size_t size);
  // Everything from the current position to the end, read in one go; the
  // second form reads into `buffer` and views it, after the buffer's first
  // `kept` bytes: what was taken of a pipe before it was opened here.
  std::string ReadToEnd();
  std::string_view ReadToEnd(TReadBuffer& buffer, size_t kept = 0);

 private:
  std::string path_;
  int fd_;
  // A regular file's size, as its listing gave it or the system told it.
  std::optional<uint64_t> knownSize_;
  size_t position_ = 0;  // bytes read so far
};

std::string ReadWholeFile(const std::string& cp932Path);
bool DirectoryExists(const std::string& cp932Path);

}  // namespace tansa2::platform
