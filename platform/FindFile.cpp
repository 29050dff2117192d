#include "platform/FindFile.h"

#include "platform/DirectoryReading.h"
#include "platform/ListingCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/CodePage.h"
#include "platform/NameForm.h"

namespace tansa2::platform {
namespace {

constexpr uint32_t ERROR_INVALID_FUNCTION = 1;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_IO_DEVICE = 1117;

// The Win32 code nearest to a failed directory call; never 0 or 18, so a
// failure can't pass for the end of a listing.
uint32_t Win32ErrorOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EIO:
      return ERROR_IO_DEVICE;
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

// Compares the characters at name[n] and mask[m], both `length` bytes long.
bool SameChar(std::string_view name, size_t n, std::string_view mask, size_t m, size_t length) {
  if (length == 1) return UpperAscii(name[n]) == UpperAscii(mask[m]);
  return name.compare(n, 2, mask, m, 2) == 0;
}

// "*" and "?" with one remembered star: a later star supersedes an earlier
// one, so the work stays proportional to name length times mask length.
bool MatchesPlainMask(std::string_view name, std::string_view mask) {
  if (mask.empty()) return false;
  size_t n = 0;
  size_t m = 0;
  size_t starMask = std::string_view::npos;
  size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = ++m;
      starName = n;
      continue;
    }
    if (m < mask.size()) {
      const size_t nameLength = CharLength(name, n);
      const size_t maskLength = CharLength(mask, m);
      if (mask[m] == '?' || (nameLength == maskLength && SameChar(name, n, mask, m, maskLength))) {
        n += nameLength;
        m += maskLength;
        continue;
      }
    }
    if (starMask == std::string_view::npos) return false;
    starName += CharLength(name, starName);
    n = starName;
    m = starMask;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

// Sort key: single-byte ASCII letters in upper case, as NTFS orders names;
// double-byte characters stay as they are.
std::string SortKey(std::string_view name) {
  std::string key(name);
  for (size_t i = 0; i < key.size(); i += CharLength(key, i))
    key[i] = UpperAscii(key[i]);
  return key;
}

uint64_t FileTimeOf(const struct timespec& time) {
  constexpr int64_t secondsFrom1601To1970 = 11644473600;
  const int64_t seconds = static_cast<int64_t>(time.tv_sec) + secondsFrom1601To1970;
  if (seconds < 0) return 0;
  return static_cast<uint64_t>(seconds) * 10000000u + static_cast<uint64_t>(time.tv_nsec) / 100u;
}

uint32_t AttributesOf(const std::string& name, const struct stat& st, const TUser& user) {
  uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode))
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  else if (S_ISREG(st.st_mode))
    attributes |= FILE_ATTRIBUTE_ARCHIVE;
  else
    attributes |= FILE_ATTRIBUTE_SYSTEM;  // opening a FIFO or a device could block or harm
  if (name[0] == '.' && name != "." && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (!user.MayWrite(st)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

// The names in a directory, read straight from the kernel: opendir would
// describe the directory once more, and the listing describes it anyway.
class TDirNames {
 public:
  explicit TDirNames(const std::string& nativeDir)
      : fd_(open(nativeDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  ~TDirNames() {
    if (fd_ >= 0) close(fd_);
  }
  TDirNames(const TDirNames&) = delete;
  TDirNames& operator=(const TDirNames&) = delete;

  // -1 when the directory couldn't be opened (errno tells why).
  int Fd() const { return fd_; }
  // The next name; null at the end, with errno 0, or on a failure.
  const char* Next() {
    if (next_ >= filled_) {
      const ssize_t n = getdents64(fd_, buffer_, sizeof buffer_);
      if (n <= 0) {
        if (n == 0) errno = 0;
        return nullptr;
      }
      next_ = 0;
      filled_ = static_cast<size_t>(n);
    }
    const auto* entry = reinterpret_cast<const dirent64*>(buffer_ + next_);
    next_ += entry->d_reclen;
    return entry->d_name;
  }

 private:
  int fd_;
  alignas(dirent64) char buffer_[32768];
  size_t next_ = 0;
  size_t filled_ = 0;
};

void SortEntries(std::vector<TFindData>& entries) {
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) keys.emplace_back(SortKey(entries[i].cFileName), i);
  std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    const std::string& nameA = entries[a.second].cFileName;
    const std::string& nameB = entries[b.second].cFileName;
    const bool dotA = IsDotName(nameA);
    const bool dotB = IsDotName(nameB);
    if (dotA != dotB) return dotA;
    if (a.first != b.first) return a.first < b.first;
    return nameA < nameB;
  });
  std::vector<TFindData> sorted;
  sorted.reserve(entries.size());
  for (const auto& key : keys) sorted.push_back(std::move(entries[key.second]));
  entries = std::move(sorted);
}

// How long a listing is taken as it stands, without a look at the directory.
constexpr auto kFreshListing = std::chrono::milliseconds(4);

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

TUser::TUser() : uid(geteuid()), gid(getegid()) {
  const int count = getgroups(0, nullptr);
  if (count > 0) {
    groups.resize(static_cast<size_t>(count));
    groups.resize(static_cast<size_t>(std::max(0, getgroups(count, groups.data()))));
  }
}

bool TUser::MayWrite(const struct stat& st) const {
  if (uid == 0) return true;
  if (st.st_uid == uid) return st.st_mode & S_IWUSR;
  if (st.st_gid == gid || std::find(groups.begin(), groups.end(), st.st_gid) != groups.end())
    return st.st_mode & S_IWGRP;
  return st.st_mode & S_IWOTH;
}

TDirectoryPath DirectoryPathOf(std::string_view cp932Dir) {
  TDirectoryPath path;
  path.cp932Prefix = std::string(cp932Dir) + "/";
  path.nativeDir = cp932Dir.empty() ? "/" : NativePath(cp932Dir);
  path.nativePrefix = path.nativeDir.ends_with('/') ? path.nativeDir : path.nativeDir + "/";
  return path;
}

std::shared_ptr<const TDirectory> ReadDirectory(const TDirectoryPath& path, const TUser& user,
                                                uint32_t& error,
                                                const std::shared_ptr<const TDirectory>& known) {
  const std::string& nativeDir = path.nativeDir;
  // A walk lists a directory twice, for its files and for its
  // sub-directories. A listing read a moment ago is as good as a new one:
  // the directory could as well have changed a moment after it was read.
  // Of an older one, one look at the directory tells whether it still holds.
  if (known && known->nativeDir == nativeDir) {
    if (std::chrono::steady_clock::now() - known->readAt < kFreshListing) return known;
    struct stat self {};
    if (stat(nativeDir.c_str(), &self) == 0 && known->device == static_cast<uint64_t>(self.st_dev) &&
        known->inode == static_cast<uint64_t>(self.st_ino) && SameTime(known->modified, self.st_mtim))
      return known;
  }

  TDirNames names(nativeDir);
  const int dirFd = names.Fd();
  if (dirFd < 0) {
    error = Win32ErrorOf(errno);
    return nullptr;
  }
  struct stat self {};
  if (fstat(dirFd, &self) != 0) {
    error = Win32ErrorOf(errno);
    return nullptr;
  }

  auto read = std::make_shared<TDirectory>();
  read->nativeDir = nativeDir;
  read->readAt = std::chrono::steady_clock::now();
  read->modified = self.st_mtim;
  read->device = static_cast<uint64_t>(self.st_dev);
  read->inode = static_cast<uint64_t>(self.st_ino);
  for (;;) {
    const char* const entryName = names.Next();
    if (!entryName) {
      if (errno != 0) read->endError = Win32ErrorOf(errno);
      break;
    }
    const std::string_view nativeName = entryName;
    std::string name = Cp932FormOfName(nativeName);
    struct stat st = self;  // "." is the directory itself, described already
    // The target of a link decides; a dangling link is described by itself.
    // An entry that can't be described at all (gone meanwhile, or the
    // directory may be read but not searched) can't be opened either.
    if (nativeName != "." && fstatat(dirFd, entryName, &st, 0) != 0 &&
        fstatat(dirFd, entryName, &st, AT_SYMLINK_NOFOLLOW) != 0)
      continue;
    TFindData& found = read->entries.emplace_back();
    found.dwFileAttributes = AttributesOf(name, st, user);
    found.ftCreationTime = FileTimeOf(st.st_ctim);  // the nearest that stat keeps
    found.ftLastAccessTime = FileTimeOf(st.st_atim);
    found.ftLastWriteTime = FileTimeOf(st.st_mtim);
    found.nFileSize = static_cast<uint64_t>(st.st_size);
    found.nDevice = static_cast<uint64_t>(st.st_dev);
    found.nInode = static_cast<uint64_t>(st.st_ino);
    found.cFileName = std::move(name);
  }
  SortEntries(read->entries);
  return read;
}

struct TFindHandle::Listing {
  std::shared_ptr<const TDirectory> directory;
  std::string mask;
  size_t next = 0;

  // The next entry that matches the mask, or null at the end.
  const TFindData* Next() {
    while (next < directory->entries.size()) {
      const TFindData& entry = directory->entries[next++];
      if (MatchesMask(entry.cFileName, mask)) return &entry;
    }
    return nullptr;
  }
};

TFindHandle::TFindHandle() = default;
TFindHandle::~TFindHandle() = default;

bool MatchesMask(std::string_view cp932Name, std::string_view mask) {
  if (mask == "*.*") return true;
  if (MatchesPlainMask(cp932Name, mask)) return true;
  // A trailing ".*" also matches an empty extension, so "abc*.*" takes "abcd".
  return mask.size() > 2 && mask.ends_with(".*") &&
         MatchesPlainMask(cp932Name, mask.substr(0, mask.size() - 2));
}

bool TFindHandle::FindFirst(std::string_view pathWithMask, TFindData& data, TListingCache* cache) {
  listing_.reset();
  lastError_ = 0;
  const size_t slash = pathWithMask.rfind('/');
  const std::string_view mask =
      slash == std::string_view::npos ? pathWithMask : pathWithMask.substr(slash + 1);
  if (mask.empty()) {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return false;
  }
  const std::string_view cp932Dir = slash == std::string_view::npos ? "." : pathWithMask.substr(0, slash);
  const TDirectoryPath path =
      slash == std::string_view::npos ? TDirectoryPath{".", "", ""} : DirectoryPathOf(cp932Dir);
  auto listing = std::make_unique<Listing>();
  listing->directory = cache ? ReadDirectory(path, cache->User(), lastError_, cache->Known(cp932Dir))
                             : ReadDirectory(path, TUser(), lastError_, nullptr);
  if (!listing->directory) return false;
  if (cache) cache->Keep(listing->directory);
  listing->mask = std::string(mask);
  const TFindData* first = listing->Next();
  if (!first) {
    const uint32_t endError = listing->directory->endError;
    lastError_ = endError != ERROR_NO_MORE_FILES ? endError : ERROR_FILE_NOT_FOUND;
    return false;
  }
  data = *first;
  listing_ = std::move(listing);
  return true;
}

bool TFindHandle::FindNext(TFindData& data) {
  const TFindData* entry = listing_ ? listing_->Next() : nullptr;
  if (!entry) {
    lastError_ = listing_ ? listing_->directory->endError : ERROR_NO_MORE_FILES;
    return false;
  }
  data = *entry;
  lastError_ = 0;
  return true;
}

}  // namespace tansa2::platform
