#pragma once
// Lists the files to search: one directory, or a whole tree breadth first,
// one callback per file that matches the file mask and passes the attribute
// filter.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/FindFile.h"
#include "platform/ListingCache.h"

namespace tansa2 {

using platform::TFindData;

class TFindFirstLoop;
using TFindFirstLoopOnFind = std::function<void(TFindFirstLoop& Sender, const TFindData& FindData, bool& Cancel)>;

// One listing pass of one directory with one mask.
class TFindFirstLoop {
 public:
  // directory + "/" + mask; ignored while a pass runs.
  void SetPath(std::string path);
  const std::string& Path() const { return path_; }
  TFindFirstLoopOnFind OnFind;
  // Shared by the loops of one walk; may be null.
  platform::TListingCache* Cache = nullptr;

  // 0 when the pass ended normally, 1223 when a handler cancelled, else the
  // listing's error code.
  uint32_t Execute();

 private:
  std::string path_;
  bool busy_ = false;
};

enum TKyFindFileCondition { fcReadOnly, fcHidden, fcSystem, fcDirectory, fcArchive };
using TKyFindFileConditions = std::set<TKyFindFileCondition>;

class TKyFindFile;
using TKyFindFileOnFind = std::function<void(TKyFindFile& Sender, const TFindData& FindData,
                                             const std::string& CurrentDir, bool& Cancel)>;

class TKyFindFile {
 public:
  TKyFindFile();

  bool AttrReadOnly = false;
  bool AttrArchive = false;
  bool AttrDirectory = false;
  bool AttrHidden = false;
  bool AttrSystem = false;
  TKyFindFileConditions Conditions;
  std::string FileMask = "*.*";
  std::string DirMask = "*.*";
  TKyFindFileOnFind OnFind;
  // Lets the owner's window handle pending messages; called before each entry.
  std::function<void()> ProcessMessages;

  // Drops one trailing separator; a text of one byte or none is ignored.
  void SetBaseDir(const std::string& value);
  const std::string& BaseDir() const { return baseDir_; }
  void SetSearchSubDir(bool value) { searchSubDir_ = value; }
  bool SearchSubDir() const { return searchSubDir_; }

  bool Busy = false;
  bool Canceled = false;

  // 0 done, 1223 cancelled, or the error code of a listing that failed.
  uint32_t Find();
  // The directory being listed, or the last one: after a failed Find, the
  // one whose listing failed.
  const std::string& CurrentDir() const { return currentDir_; }

 private:
  using TEntryFilter = std::function<bool(const TFindData&)>;

  uint32_t FindFlat();
  uint32_t FindTree();
  void VisitFile(const TFindData& data, bool& cancel);
  void VisitDirectory(const TFindData& data, bool& cancel);

  std::string baseDir_;
  bool searchSubDir_ = false;
  platform::TListingCache listingCache_;
  TFindFirstLoop fileLoop_;
  TFindFirstLoop dirLoop_;
  std::vector<std::string> dirQueue_;
  std::set<std::pair<uint64_t, uint64_t>> queuedDirs_;  // (device, inode) of dirQueue_'s entries
  std::string currentDir_;
  std::vector<TEntryFilter> filters_;
  uint32_t requiredMask_ = 0;
  uint32_t forbiddenMask_ = 0;
};

}  // namespace tansa2
