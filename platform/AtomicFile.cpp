#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/FileIO.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

namespace tansa2::platform {
namespace {

[[noreturn]] void ThrowWriteError(const std::string& cp932Path, int error) {
  throw EInOutError("Cannot write file \"" + cp932Path + "\": " + SystemErrorText(error));
}

// A name beside the real one that no other writer, in this process or
// another, picks at the same time.
std::string TemporaryName(const std::string& nativePath) {
  static std::atomic<unsigned> counter{0};
  return nativePath + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
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

void WriteFileAtomically(const std::string& cp932Path, std::string_view bytes) {
  const std::string target = NativePath(cp932Path);
  std::string temporary;
  int fd = -1;
  do {
    temporary = TemporaryName(target);
    // 0666 through the umask, as a plain new file would get.
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EEXIST);
  if (fd < 0) ThrowWriteError(cp932Path, errno);
  // A file kept private stays private when it is replaced.
  struct stat old {};
  if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) fchmod(fd, old.st_mode & 07777);

  bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && rename(temporary.c_str(), target.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    unlink(temporary.c_str());
    ThrowWriteError(cp932Path, error);
  }
  SyncFolderOf(target);
}

}  // namespace tansa2::platform
