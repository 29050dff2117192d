#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/NativePath.h"

namespace tansa2::platform {
namespace {

std::string ErrorText(const std::string& verb, const std::string& cp932Path, int error) {
  // The message is program text, so it is CP932 like everything else.
  return verb + " \"" + cp932Path + "\": " + Utf8ToCp932(std::strerror(error));
}

}  // namespace

TReadOnlyFile::TReadOnlyFile(const std::string& cp932Path)
    : path_(cp932Path), fd_(open(NativePath(cp932Path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
  if (fd_ < 0) throw EFOpenError(ErrorText("Cannot open file", cp932Path, errno));
  // O_NONBLOCK only keeps a FIFO from blocking the open; reads of regular
  // files ignore it, and anything else is refused here.
  struct stat st {};
  if (fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    close(fd_);
    throw EFOpenError(ErrorText("Cannot open file", cp932Path, error));
  }
}

TReadOnlyFile::~TReadOnlyFile() { close(fd_); }

size_t TReadOnlyFile::Read(char* buffer, size_t size) {
  for (;;) {
    const ssize_t n = read(fd_, buffer, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return 0;  // a FIFO with no writer has nothing to give
    throw EInOutError(ErrorText("Read error in", path_, errno));
  }
}

std::string TReadOnlyFile::ReadToEnd() {
  struct stat st {};
  std::string data;
  if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
    const off_t position = lseek(fd_, 0, SEEK_CUR);
    data.resize(static_cast<size_t>(st.st_size - (position > 0 ? position : 0)));
  }
  size_t filled = 0;
  for (;;) {
    if (filled == data.size()) data.resize(data.size() + 65536);
    const size_t n = Read(data.data() + filled, data.size() - filled);
    if (n == 0) break;
    filled += n;
  }
  data.resize(filled);
  return data;
}

std::string ReadWholeFile(const std::string& cp932Path) {
  return TReadOnlyFile(cp932Path).ReadToEnd();
}

bool DirectoryExists(const std::string& cp932Path) {
  struct stat st {};
  return stat(NativePath(cp932Path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tansa2::platform
