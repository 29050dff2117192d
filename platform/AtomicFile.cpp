#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "platform/FileIO.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

namespace tansa2::platform {
namespace {

// Pieces gather up to this size before they are written: few system calls,
// and little memory even for a file of a hundred megabytes.
constexpr size_t kBufferBytes = size_t{256} << 10;

[[noreturn]] void ThrowWriteError(const std::string& cp932Path, int error) {
  throw EInOutError("Cannot write file \"" + cp932Path + "\": " + SystemErrorText(error), error);
}

// A name beside the real one that no other writer, in this process or
// another, picks at the same time.
std::string TemporaryName(const std::string& nativePath) {
  static std::atomic<unsigned> counter{0};
  return nativePath + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

// The folder's entry of the renamed file reaches the disk as well; a
// system that can't sync a folder still has the file whole.
void SyncFolderOf(const std::string& nativePath) {
  const size_t slash = nativePath.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : nativePath.substr(0, slash);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

TAtomicFileWriter::TAtomicFileWriter(const std::string& cp932Path)
    : cp932Path_(cp932Path), target_(NativePath(cp932Path)) {
  do {
    temporary_ = TemporaryName(target_);
    // 0666 through the umask, as a plain new file would get.
    fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd_ < 0 && errno == EEXIST);
  if (fd_ < 0) ThrowWriteError(cp932Path_, errno);
  // A file kept private stays private when it is replaced.
  struct stat old {};
  if (stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd_, old.st_mode & 07777);
}

TAtomicFileWriter::~TAtomicFileWriter() {
  if (fd_ < 0) return;
  close(fd_);
  unlink(temporary_.c_str());
}

void TAtomicFileWriter::Write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() < kBufferBytes) {
    buffer_ += bytes;
    return;
  }
  WriteOut(buffer_);
  buffer_.clear();
  // A piece as large as the buffer goes out as it is, without a copy.
  if (bytes.size() < kBufferBytes)
    buffer_ += bytes;
  else
    WriteOut(bytes);
}

void TAtomicFileWriter::Commit() {
  WriteOut(buffer_);
  buffer_.clear();
  if (fsync(fd_) != 0) Fail(errno);
  if (close(std::exchange(fd_, -1)) != 0) Fail(errno);
  if (rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
  SyncFolderOf(target_);
}

void TAtomicFileWriter::WriteOut(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void TAtomicFileWriter::Fail(int error) {
  if (fd_ >= 0) close(std::exchange(fd_, -1));
  unlink(temporary_.c_str());
  ThrowWriteError(cp932Path_, error);
}

void WriteFileAtomically(const std::string& cp932Path, std::string_view bytes) {
  TAtomicFileWriter file(cp932Path);
  file.Write(bytes);
  file.Commit();
}

}  // namespace tansa2::platform
