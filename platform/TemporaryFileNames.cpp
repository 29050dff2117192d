#include "platform/TemporaryFileNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/NameForm.h"

namespace tansa2::platform {
namespace {

constexpr std::string_view kMark = ".tansa2-tmp.";

// The file's own name is cut so that the temporary name stays within the
// file system's limit of 255 bytes, whatever the length of the real one.
constexpr size_t kNameBytesKept = 200;

// The decimal number that is the whole of `text`, if it is one.
std::optional<long long> Number(std::string_view text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// The process that owns the temporary file `name`, or nothing when `name`
// isn't one of ours.
std::optional<pid_t> OwnerOf(std::string_view name) {
  if (name.empty() || name.front() != '.') return std::nullopt;
  const size_t mark = name.rfind(kMark);
  if (mark == std::string_view::npos) return std::nullopt;
  const std::string_view tail = name.substr(mark + kMark.size());
  const size_t dot = tail.find('.');
  if (dot == std::string_view::npos || !Number(tail.substr(dot + 1))) return std::nullopt;
  const std::optional<long long> pid = Number(tail.substr(0, dot));
  // 0 and negative numbers would ask about groups of processes.
  if (!pid || *pid <= 0 || *pid != static_cast<pid_t>(*pid)) return std::nullopt;
  return static_cast<pid_t>(*pid);
}

// A process id that has been given again to another process only keeps its
// file a little longer.
bool Runs(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

std::string TemporaryFileName(const std::string& nativePath) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = nativePath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return nativePath.substr(0, nameStart) + "." + nativePath.substr(nameStart, kNameBytesKept) +
         std::string(kMark) + std::to_string(getpid()) + "." + std::to_string(counter++);
}

void RemoveStaleTemporaryFiles(const std::string& cp932Folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(NativePath(cp932Folder).c_str()), &closedir);
  if (folder == nullptr) return;
  while (const dirent* entry = readdir(folder.get())) {
    const std::optional<pid_t> owner = OwnerOf(entry->d_name);
    // unlinkat without AT_REMOVEDIR refuses a folder of the same name.
    if (owner && !Runs(*owner)) unlinkat(dirfd(folder.get()), entry->d_name, 0);
  }
}

}  // namespace tansa2::platform
