#pragma once
// One directory read whole, shared by the listing handle and the listing
// cache that reads directories ahead of a walk.
#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FindFile.h"

namespace tansa2::platform {

// Every entry described and sorted ("." and ".." first, then by name without
// case, then by bytes).
struct TDirectory {
  std::string nativeDir;
  std::chrono::steady_clock::time_point readAt;
  struct timespec modified {};
  uint64_t device = 0;
  uint64_t inode = 0;
  std::vector<TFindData> entries;
  uint32_t endError = ERROR_NO_MORE_FILES;  // or the failure that cut the reading short
};

// Where a directory is, and the prefixes that turn a listed name into its
// CP932 and its native path.
struct TDirectoryPath {
  std::string nativeDir;
  std::string cp932Prefix;
  std::string nativePrefix;
};

// Who asks, to tell from the mode bits whether an entry may be written.
struct TUser {
  TUser();
  bool MayWrite(const struct stat& st) const;

  uid_t uid;
  gid_t gid;
  std::vector<gid_t> groups;
};

// `cp932Dir` as a walk names it: empty for the root.
TDirectoryPath DirectoryPathOf(std::string_view cp932Dir);

// Reads a directory as `user` sees it, or hands back `known` when that is
// the same directory and unchanged since. Null, with `error` set, when it
// can't be read at all.
std::shared_ptr<const TDirectory> ReadDirectory(const TDirectoryPath& path, const TUser& user,
                                                uint32_t& error,
                                                const std::shared_ptr<const TDirectory>& known);

}  // namespace tansa2::platform
