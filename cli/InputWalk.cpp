#include "cli/InputWalk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>

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
void TInputWalk::WalkDirectory(const std::string& dir, int depth,
                               std::vector<std::pair<uint64_t, uint64_t>>& ancestors) {
  if (options_.maxDepth && depth > *options_.maxDepth) return;
  const std::unique_ptr<DIR, int (*)(DIR*)> handle(opendir(dir.empty() ? "." : dir.c_str()), closedir);
  if (!handle) {
    onError_(dir, errno);
    return;
  }
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = readdir(handle.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (errno != 0) onError_(dir, errno);
  std::sort(names.begin(), names.end());
  std::vector<std::string> subdirs;
  for (const std::string& name : names) {
    const std::string path = Join(dir, name);
    struct stat st {};
    const int status = options_.followLinks ? stat(path.c_str(), &st) : lstat(path.c_str(), &st);
    if (status != 0) {
      // A link that leads nowhere is no file to search.
      if (errno != ENOENT) onError_(path, errno);
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      if (DirectoryWanted(name)) subdirs.push_back(name);
    } else if (S_ISREG(st.st_mode) && FileWanted(name, static_cast<uint64_t>(st.st_size))) {
      onFile_(path, static_cast<uint64_t>(st.st_size));
    }
  }
  for (const std::string& name : subdirs) {
    const std::string path = Join(dir, name);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) continue;
    // A link back to a directory being walked would never end.
    const std::pair<uint64_t, uint64_t> identity{st.st_dev, st.st_ino};
    if (std::find(ancestors.begin(), ancestors.end(), identity) != ancestors.end()) continue;
    ancestors.push_back(identity);
    WalkDirectory(path, depth + 1, ancestors);
    ancestors.pop_back();
  }
}

}  // namespace tansa2::cli
