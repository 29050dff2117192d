#pragma once
// The files tansa2-grep searches: the paths named on the command line, and
// the files of named directories with their sub-directories, filtered the
// window's way (masks, extensions, size, hidden files) or as the options say.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/DirectoryListing.h"
#include "cli/Options.h"
#include "session/GrepRun.h"

namespace tansa2::cli {

class TInputWalk {
 public:
  // A file to search, by its native path; `size` as it was listed, when the
  // listing gave it. A file listed without its size may still be over the
  // size limit, which the search then finds when it opens it.
  using TOnFile = std::function<void(const std::string& nativePath, std::optional<uint64_t> size)>;
  // A path that can't be read or listed, with the system's error number.
  using TOnError = std::function<void(const std::string& nativePath, int systemError)>;

  TInputWalk(const TOptions& options, TOnFile onFile, TOnError onError);

  // Each path in turn; "" stands for the working directory, whose files
  // are named without a "./" before them.
  void Walk(const std::vector<std::string>& paths);

 private:
  void WalkDirectory(const std::string& dir, TDirectoryListing listing, int depth,
                     std::vector<std::pair<uint64_t, uint64_t>>& ancestors);
  bool FileWanted(const std::string& name, std::optional<uint64_t> size) const;
  bool DirectoryWanted(const std::string& name) const;

  const TOptions& options_;
  TOnFile onFile_;
  TOnError onError_;
  TNoFileExtList noFileExt_;
  std::vector<std::string> includes_;  // masks in the name form
  std::vector<std::string> excludes_;
  std::string dirMask_;
  std::unique_ptr<TListingReadAhead> readAhead_;  // for the first directory named
};

// The form the engine names a file by: CP932, reversible to the native bytes.
std::string EnginePath(const std::string& nativePath);
// The native bytes of a path the engine names.
std::string NativeOf(std::string_view enginePath);

}  // namespace tansa2::cli
