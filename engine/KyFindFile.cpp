#include "engine/KyFindFile.h"

namespace tansa2 {
namespace {

// Holds a flag true for one scope, whichever way the scope is left.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
};

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

void TFindFirstLoop::SetPath(std::string path) {
  if (!busy_) path_ = std::move(path);
}

uint32_t TFindFirstLoop::Execute() {
  if (!OnFind) return 0;
  TFlagScope busy(busy_);
  platform::TFindHandle handle;
  TFindData data;
  if (!handle.FindFirst(path_, data, Cache)) return 0;
  do {
    bool cancel = false;
    OnFind(*this, data, cancel);
    if (cancel) return platform::ERROR_CANCELLED;
  } while (handle.FindNext(data));
  const uint32_t error = handle.LastError();
  return error == platform::ERROR_NO_MORE_FILES ? 0 : error;
}

// The counterpart of the Windows directory: where the system keeps its
// programs and data, present on every machine.
TKyFindFile::TKyFindFile() : baseDir_("/usr") {
  fileLoop_.Cache = &listingCache_;
  dirLoop_.Cache = &listingCache_;
  fileLoop_.OnFind = [this](TFindFirstLoop&, const TFindData& data, bool& cancel) {
    VisitFile(data, cancel);
  };
  dirLoop_.OnFind = [this](TFindFirstLoop&, const TFindData& data, bool& cancel) {
    VisitDirectory(data, cancel);
  };
}

void TKyFindFile::SetBaseDir(const std::string& value) {
  // The root keeps an empty directory part, as "C:\" keeps "C:", so that
  // directory + "/" + name still names its entries.
  if (value == "/") {
    baseDir_.clear();
    return;
  }
  if (value.size() <= 1) return;
  baseDir_ = value.back() == '/' ? value.substr(0, value.size() - 1) : value;
}

uint32_t TKyFindFile::Find() {
  TFlagScope busy(Busy);
  if (!OnFind) return 0;
  // A walk sees the directories as they are now.
  listingCache_.Clear();
  filters_.assign(1, [this](const TFindData& data) {
    const uint32_t attributes = data.dwFileAttributes;
    return (attributes & requiredMask_) == requiredMask_ && (attributes & forbiddenMask_) == 0;
  });
  requiredMask_ = 0;
  forbiddenMask_ = 0;
  for (const TKyFindFileCondition condition : Conditions) {
    const auto [bit, wanted] = [&]() -> std::pair<uint32_t, bool> {
      switch (condition) {
        case fcReadOnly: return {platform::FILE_ATTRIBUTE_READONLY, AttrReadOnly};
        case fcHidden: return {platform::FILE_ATTRIBUTE_HIDDEN, AttrHidden};
        case fcSystem: return {platform::FILE_ATTRIBUTE_SYSTEM, AttrSystem};
        case fcDirectory: return {platform::FILE_ATTRIBUTE_DIRECTORY, AttrDirectory};
        case fcArchive: return {platform::FILE_ATTRIBUTE_ARCHIVE, AttrArchive};
      }
      return {0, false};
    }();
    (wanted ? requiredMask_ : forbiddenMask_) |= bit;
  }
  Canceled = false;
  const uint32_t result = searchSubDir_ ? FindTree() : FindFlat();
  // A cancel that came after the last entry (during the owner's handling of
  // it) must still read as a cancel, or the owner would go on to its next mask.
  return result == 0 && Canceled ? platform::ERROR_CANCELLED : result;
}

uint32_t TKyFindFile::FindFlat() {
  currentDir_ = baseDir_;
  fileLoop_.SetPath(currentDir_ + "/" + FileMask);
  return fileLoop_.Execute();
}

uint32_t TKyFindFile::FindTree() {
  dirQueue_.assign(1, baseDir_);
  queuedDirs_.clear();
  // The base directory's own identity, from its "." entry, so a link back
  // to it is not walked again.
  platform::TFindHandle base;
  TFindData self;
  if (base.FindFirst(baseDir_ + "/.", self, &listingCache_)) queuedDirs_.emplace(self.nDevice, self.nInode);
  for (size_t i = 0; i < dirQueue_.size(); ++i) {
    currentDir_ = dirQueue_[i];
    fileLoop_.SetPath(currentDir_ + "/" + FileMask);
    if (const uint32_t result = fileLoop_.Execute(); result != 0) return result;
    dirLoop_.SetPath(currentDir_ + "/" + DirMask);
    if (const uint32_t result = dirLoop_.Execute(); result != 0) return result;
  }
  return 0;
}

void TKyFindFile::VisitFile(const TFindData& data, bool& cancel) {
  if (ProcessMessages) ProcessMessages();
  if (Canceled) {
    cancel = true;
    return;
  }
  if (IsDotName(data.cFileName)) return;
  for (const TEntryFilter& filter : filters_)
    if (!filter(data)) return;
  OnFind(*this, data, currentDir_, cancel);
}

void TKyFindFile::VisitDirectory(const TFindData& data, bool& cancel) {
  if (ProcessMessages) ProcessMessages();
  if (Canceled) {
    cancel = true;
    return;
  }
  if (!(data.dwFileAttributes & platform::FILE_ATTRIBUTE_DIRECTORY) || IsDotName(data.cFileName)) return;
  // Links may lead back to a directory already queued; walking it again
  // would never end.
  if (!queuedDirs_.emplace(data.nDevice, data.nInode).second) return;
  dirQueue_.push_back(currentDir_ + "/" + data.cFileName);
  listingCache_.ReadAhead(dirQueue_.back());
}

}  // namespace tansa2
