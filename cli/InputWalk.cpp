#include "cli/InputWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>

#include "platform/FindFile.h"
#include "platform/NameForm.h"

namespace tansa2::cli {
namespace {

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool MatchesAny(const std::string& name, const std::vector<std::string>& masks) {
  const std::string form = platform::Cp932FormOfName(name);
  return std::any_of(masks.begin(), masks.end(),
                     [&](const std::string& mask) { return platform::MatchesMask(form, mask); });
}

}  // namespace

std::string EnginePath(const std::string& nativePath) { return platform::Cp932FormOfName(nativePath); }

std::string NativeOf(std::string_view enginePath) { return platform::NativePath(enginePath); }

TInputWalk::TInputWalk(const TOptions& options, TOnFile onFile, TOnError onError)
    : options_(options), onFile_(std::move(onFile)), onError_(std::move(onError)) {
  noFileExt_.Assign(platform::Cp932FormOfName(options.excludeExt));
  for (const std::string& glob : options.globs) {
    if (glob.starts_with("!")) excludes_.push_back(platform::Cp932FormOfName(glob.substr(1)));
    else includes_.push_back(platform::Cp932FormOfName(glob));
  }
  dirMask_ = platform::Cp932FormOfName(options.dirMask);
}

void TInputWalk::Walk(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    struct stat st {};
    // A path named on the command line is followed even when it is a link.
    if (stat(path.empty() ? "." : path.c_str(), &st) != 0) {
      onError_(path, errno);
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      std::vector<std::pair<uint64_t, uint64_t>> ancestors{{st.st_dev, st.st_ino}};
      WalkDirectory(path, 1, ancestors);
    } else {
      onFile_(path, static_cast<uint64_t>(st.st_size));
    }
  }
}

bool TInputWalk::FileWanted(const std::string& name, uint64_t size) const {
  if (!options_.hidden && name.starts_with(".")) return false;
  if (!includes_.empty() && !MatchesAny(name, includes_)) return false;
  if (MatchesAny(name, excludes_)) return false;
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && noFileExt_.Contains(platform::Cp932FormOfName(name.substr(dot + 1)))) return false;
  return size < options_.maxFileSize;
}

bool TInputWalk::DirectoryWanted(const std::string& name) const {
  if (!options_.hidden && name.starts_with(".")) return false;
  if (MatchesAny(name, excludes_)) return false;
  return dirMask_.empty() || platform::MatchesMask(platform::Cp932FormOfName(name), dirMask_);
}

// A directory's files first, then its sub-directories, each in name order.
// Entries are described through the directory's descriptor, which spares
// the kernel a walk down the whole path for each of them: on a tree of many
// small files that walk was most of the time.
void TInputWalk::WalkDirectory(const std::string& dir, int depth,
                               std::vector<std::pair<uint64_t, uint64_t>>& ancestors) {
  if (options_.maxDepth && depth > *options_.maxDepth) return;
  struct TSubdir {
    std::string name;
    std::pair<uint64_t, uint64_t> identity;
  };
  std::vector<TSubdir> subdirs;
  {
    const std::unique_ptr<DIR, int (*)(DIR*)> handle(opendir(dir.empty() ? "." : dir.c_str()), closedir);
    if (!handle) {
      onError_(dir, errno);
      return;
    }
    const int dirFd = dirfd(handle.get());
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = readdir(handle.get())) {
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") names.emplace_back(name);
    }
    if (errno != 0) onError_(dir, errno);
    std::sort(names.begin(), names.end());
    const int flags = options_.followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
    for (const std::string& name : names) {
      struct stat st {};
      if (fstatat(dirFd, name.c_str(), &st, flags) != 0) {
        // A link that leads nowhere is no file to search.
        if (errno != ENOENT) onError_(Join(dir, name), errno);
        continue;
      }
      if (S_ISDIR(st.st_mode)) {
        if (DirectoryWanted(name)) subdirs.push_back({name, {st.st_dev, st.st_ino}});
      } else if (S_ISREG(st.st_mode) && FileWanted(name, static_cast<uint64_t>(st.st_size))) {
        // Read raw, as the window does with detection off, a file that
        // reports no size is passed over: it holds no line to find, and
        // opening each of many empty files was most of a walk's time. With
        // detection it is read, for what /proc shows has no size either.
        if (options_.raw && st.st_size == 0 && options_.listing != TListing::FilesWithoutMatch) continue;
        onFile_(Join(dir, name), static_cast<uint64_t>(st.st_size));
      }
    }
  }
  for (const TSubdir& subdir : subdirs) {
    // A link back to a directory being walked would never end.
    if (std::find(ancestors.begin(), ancestors.end(), subdir.identity) != ancestors.end()) continue;
    ancestors.push_back(subdir.identity);
    WalkDirectory(Join(dir, subdir.name), depth + 1, ancestors);
    ancestors.pop_back();
  }
}

}  // namespace tansa2::cli
