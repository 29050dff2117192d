#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/FileIO.h"
#include "platform/NameForm.h"
#include "platform/SystemError.h"
#include "platform/TemporaryFileNames.h"

namespace tansa2::platform {
namespace {

// Pieces gather up to this size before they are written: few system calls,
// and little memory even for a file of a hundred megabytes.
constexpr size_t kBufferBytes = size_t{256} << 10;

[[noreturn]] void ThrowWriteError(const std::string& cp932Path, int error) {
  throw EInOutError("Cannot write file \"" + cp932Path + "\": " + SystemErrorText(error), error);
}

// The folder of a CP932 or a file-system path alike: no double-byte
// character holds the byte "/".
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Hands `create` fresh temporary names beside `target` until it makes a file
// of one that no other file holds; `create` returns 0 or the error. Returns 0
// with the name in `name`, or the error, leaving `name` as it was.
template <typename Create>
int CreateUnderFreshName(const std::string& target, std::string& name, Create create) {
  for (;;) {
    std::string candidate = TemporaryFileName(target);
    const int error = create(candidate.c_str());
    if (error == 0) name = std::move(candidate);
    if (error != EEXIST) return error;
  }
}

// The folder's entry of the renamed file reaches the disk as well; a
// system that can't sync a folder still has the file whole.
void SyncFolderOf(const std::string& nativePath) {
  const int fd = open(FolderOf(nativePath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

TAtomicFileWriter::TAtomicFileWriter(const std::string& cp932Path)
    : cp932Path_(cp932Path), target_(NativePath(cp932Path)) {
  RemoveStaleTemporaryFiles(FolderOf(cp932Path_));
  // 0666 through the umask, as a plain new file would get.
  fd_ = open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  // A file system without unnamed files (or a kernel from before them) takes
  // a named one.
  if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    if (const int error = CreateUnderFreshName(target_, temporary_, [this](const char* name) {
          fd_ = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
          return fd_ < 0 ? errno : 0;
        }))
      ThrowWriteError(cp932Path_, error);
  }
  if (fd_ < 0) ThrowWriteError(cp932Path_, errno);
  // A file kept private stays private when it is replaced.
  struct stat old {};
  if (stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd_, old.st_mode & 07777);
}

TAtomicFileWriter::~TAtomicFileWriter() {
  if (fd_ < 0) return;
  close(fd_);
  if (!temporary_.empty()) unlink(temporary_.c_str());
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
  // A link can't replace the real file, so the unnamed file first gets a
  // temporary name of its own, which the rename then takes away.
  if (temporary_.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (const int error = CreateUnderFreshName(target_, temporary_, [&self](const char* name) {
          return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
        }))
      Fail(error);
  }
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
  if (!temporary_.empty()) unlink(temporary_.c_str());
  ThrowWriteError(cp932Path_, error);
}

void WriteFileAtomically(const std::string& cp932Path, std::string_view bytes) {
  TAtomicFileWriter file(cp932Path);
  file.Write(bytes);
  file.Commit();
}

}  // namespace tansa2::platform
