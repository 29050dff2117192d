#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/NameForm.h"
#include "platform/SystemError.h"

namespace tansa2::platform {
namespace {

std::string ErrorText(const std::string& verb, const std::string& cp932Path, int error) {
  // The message is program text, so it is CP932 like everything else.
  return verb + " \"" + cp932Path + "\": " + SystemErrorText(error);
}

}  // namespace

TReadOnlyFile::TReadOnlyFile(const std::string& cp932Path, std::optional<uint64_t> listedSize)
    : path_(cp932Path),
      fd_(open(NativePath(cp932Path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)),
      knownSize_(listedSize) {
  if (fd_ < 0) {
    const int error = errno;
    throw EFOpenError(ErrorText("Cannot open file", cp932Path, error), error);
  }
  // O_NONBLOCK only keeps a FIFO from blocking the open; reads of regular
  // files ignore it, and a directory is refused here, or by the first read
  // when its listing said it was a file.
  if (knownSize_) return;
  struct stat st {};
  if (fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    close(fd_);
    throw EFOpenError(ErrorText("Cannot open file", cp932Path, error), error);
  }
  if (S_ISREG(st.st_mode)) {
    knownSize_ = static_cast<uint64_t>(st.st_size);
  } else {
    // A pipe or a FIFO someone names to be searched is read to its end,
    // however slowly its writer writes; one without a writer ends at once.
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  }
}

TReadOnlyFile::~TReadOnlyFile() { close(fd_); }

size_t TReadOnlyFile::Read(char* buffer, size_t size) {
  for (;;) {
    const ssize_t n = read(fd_, buffer, size);
    if (n >= 0) {
      position_ += static_cast<size_t>(n);
      return static_cast<size_t>(n);
    }
    const int error = errno;
    if (error == EINTR) continue;
    if (error == EAGAIN) return 0;  // a FIFO with no writer has nothing to give
    if (error == EISDIR) throw EFOpenError(ErrorText("Cannot open file", path_, error), error);
    throw EInOutError(ErrorText("Read error in", path_, error), error);
  }
}

char* TReadBuffer::Grow(size_t size, size_t keep) {
  if (size <= capacity_) return data_.get();
  // A first room for small files comes from the heap: clearing a fresh huge
  // page costs more than searching a few small files. Beyond it, whole huge
  // pages at once: growing step by step would fault in every 4 KB page of
  // each new room.
  const bool small = capacity_ == 0 && size <= kSmallRoom;
  const size_t wanted = std::max({size, capacity_ + capacity_ / 2, kHugePageSize});
  TAlignedRoom data = small ? NewAlignedRoom(kSmallRoom, 4096) : NewHugePageRoom(wanted);
  if (keep > 0) std::memcpy(data.get(), data_.get(), keep);
  data_ = std::move(data);
  capacity_ = small ? kSmallRoom : HugePageRoomSize(wanted);
  return data_.get();
}

std::string_view TReadOnlyFile::ReadToEnd(TReadBuffer& buffer, size_t kept) {
  // A file of known size is asked for one byte more than it holds: that
  // size read and not a byte more, it is read whole in one go. Anything
  // else, and a file that has grown since, is read until it gives no more.
  const size_t left = knownSize_ && *knownSize_ > position_ ? *knownSize_ - position_ : 0;
  size_t room = kept + (knownSize_ ? left + 1 : 0);
  char* data = buffer.Grow(room, kept);
  size_t filled = kept;
  for (;;) {
    if (filled == room) {
      room = filled + 65536;
      data = buffer.Grow(room, filled);
    }
    const size_t n = Read(data + filled, room - filled);
    filled += n;
    if (n == 0 || (knownSize_ && filled == kept + left)) break;
  }
  return std::string_view(data, filled);
}

std::string TReadOnlyFile::ReadToEnd() {
  TReadBuffer buffer;
  return std::string(ReadToEnd(buffer));
}

std::string ReadWholeFile(const std::string& cp932Path) {
  return TReadOnlyFile(cp932Path).ReadToEnd();
}

bool DirectoryExists(const std::string& cp932Path) {
  struct stat st {};
  return stat(NativePath(cp932Path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tansa2::platform
