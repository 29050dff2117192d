#include "cli/InputWalk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
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
  if (masks.empty()) return false;
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
      if (options_.maxDepth && *options_.maxDepth < 1) continue;  // the named paths only, as with ripgrep
      std::vector<std::pair<uint64_t, uint64_t>> ancestors;
      if (!readAhead_) readAhead_ = std::make_unique<TListingReadAhead>(options_.followLinks, options_.raw);
      WalkDirectory(path, ListDirectory(path, options_.followLinks, options_.raw), 1, ancestors);
    } else {
      // A pipe's or a device's size says nothing about what it will give.
      onFile_(path, S_ISREG(st.st_mode) ? std::optional<uint64_t>(st.st_size) : std::nullopt);
    }
  }
}

bool TInputWalk::FileWanted(const std::string& name, std::optional<uint64_t> size) const {
  if (!options_.hidden && name.starts_with(".")) return false;
  if (!includes_.empty() && !MatchesAny(name, includes_)) return false;
  if (MatchesAny(name, excludes_)) return false;
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && noFileExt_.Contains(platform::Cp932FormOfName(name.substr(dot + 1)))) return false;
  return !size || *size < options_.maxFileSize;
}

bool TInputWalk::DirectoryWanted(const std::string& name) const {
  if (!options_.hidden && name.starts_with(".")) return false;
  if (MatchesAny(name, excludes_)) return false;
  return dirMask_.empty() || platform::MatchesMask(platform::Cp932FormOfName(name), dirMask_);
}

// A directory's files first, then its sub-directories, each in name order.
void TInputWalk::WalkDirectory(const std::string& dir, TDirectoryListing listing, int depth,
                               std::vector<std::pair<uint64_t, uint64_t>>& ancestors) {
  if (listing.openError != 0) {
    onError_(dir, listing.openError);
    return;
  }
  // A link back to a directory being walked would never end.
  if (std::find(ancestors.begin(), ancestors.end(), listing.identity) != ancestors.end()) return;
  ancestors.push_back(listing.identity);
  if (listing.readError != 0) onError_(dir, listing.readError);
  struct TSubdir {
    std::string path;
    TListingReadAhead::TTicket listing;
  };
  std::vector<TSubdir> subdirs;
  const bool descend = !options_.maxDepth || depth < *options_.maxDepth;
  for (const TListedEntry& entry : listing.entries) {
    if (entry.error != 0) {
      onError_(Join(dir, entry.name), entry.error);
    } else if (entry.directory) {
      if (descend && DirectoryWanted(entry.name)) {
        std::string path = Join(dir, entry.name);
        subdirs.push_back({path, readAhead_->Ask(path)});
      }
    } else if (FileWanted(entry.name, entry.size)) {
      // Read raw, as the window does with detection off, a file listed
      // with no size is passed over: it holds no line to find, and
      // opening each of many empty files was most of a walk's time. With
      // detection it is read, for what /proc shows has no size either.
      if (options_.raw && entry.size == uint64_t{0} && options_.listing != TListing::FilesWithoutMatch) continue;
      onFile_(Join(dir, entry.name), entry.size);
    }
  }
  listing = {};  // not held through the walk below
  for (const TSubdir& subdir : subdirs)
    WalkDirectory(subdir.path, readAhead_->Take(subdir.listing), depth + 1, ancestors);
  ancestors.pop_back();
}

}  // namespace tansa2::cli
