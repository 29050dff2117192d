#include "cli/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>

namespace tansa2::cli {
namespace {

// Listings held ahead of the walk at most; each holds all its entries.
constexpr size_t kMaxListedAhead = 64;

}  // namespace

struct TListingReadAhead::TTask {
  enum class TState { Waiting, Reading, Ready, Taken };
  std::string dir;
  TState state = TState::Waiting;
  TDirectoryListing listing;
};

namespace {

// A directory's descriptor, closed with the object.
struct TDirectoryHandle {
  int fd;
  ~TDirectoryHandle() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

// The directory is read with the kernel's own listing call: opendir would
// describe it a second time and take a buffer from the heap for each one.
// Entries are described through the directory's descriptor, which spares
// the kernel a walk down the whole path for each of them, and only where
// the listing's own type doesn't tell enough: a regular file when its size
// is wanted, a link to be followed, an entry of unknown type. A call to the
// kernel per entry was a tenth of a search's time.
TDirectoryListing ListDirectory(const std::string& dir, bool followLinks, bool withFileSizes) {
  TDirectoryListing listing;
  const TDirectoryHandle handle{open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  struct stat self {};
  if (handle.fd < 0 || fstat(handle.fd, &self) != 0) {
    listing.openError = errno;
    return listing;
  }
  listing.identity = {self.st_dev, self.st_ino};
  struct TName {
    std::string name;
    unsigned char type;
  };
  std::vector<TName> names;
  alignas(dirent64) char buffer[16384];
  for (;;) {
    const ssize_t filled = getdents64(handle.fd, buffer, sizeof buffer);
    if (filled <= 0) {
      if (filled < 0) listing.readError = errno;
      break;
    }
    for (ssize_t at = 0; at < filled;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") names.push_back({std::string(name), entry->d_type});
    }
  }
  std::sort(names.begin(), names.end(), [](const TName& a, const TName& b) { return a.name < b.name; });
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  for (TName& name : names) {
    if ((name.type == DT_REG && !withFileSizes) || name.type == DT_DIR) {
      listing.entries.push_back({.name = std::move(name.name), .directory = name.type == DT_DIR, .size = std::nullopt});
      continue;
    }
    // Neither a file nor a directory, nor a link to be followed to one.
    if (name.type != DT_UNKNOWN && name.type != DT_REG && !(followLinks && name.type == DT_LNK)) continue;
    struct stat st {};
    if (fstatat(handle.fd, name.name.c_str(), &st, flags) != 0) {
      if (errno != ENOENT) listing.entries.push_back({.name = std::move(name.name), .error = errno, .size = std::nullopt});
    } else if (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode)) {
      listing.entries.push_back({.name = std::move(name.name),
                                 .directory = S_ISDIR(st.st_mode),
                                 .size = S_ISREG(st.st_mode) ? std::optional<uint64_t>(st.st_size) : std::nullopt});
    }
  }
  return listing;
}

TListingReadAhead::TListingReadAhead(bool followLinks, bool withFileSizes)
    : followLinks_(followLinks), withFileSizes_(withFileSizes) {
  if (withFileSizes_) reader_ = std::thread([this] { ReadAhead(); });
}

TListingReadAhead::~TListingReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_.notify_one();
  if (reader_.joinable()) reader_.join();
}

TListingReadAhead::TTicket TListingReadAhead::Ask(std::string dir) {
  auto task = std::make_shared<TTask>();
  task->dir = std::move(dir);
  // Without a reader nothing is listed ahead: the walk lists each directory
  // when it takes it.
  if (!reader_.joinable()) return task;
  std::lock_guard lock(mutex_);
  waiting_.push_back(task);
  if (waiting_.size() == 1) work_.notify_one();
  return task;
}

TDirectoryListing TListingReadAhead::Take(const TTicket& ticket) {
  if (!reader_.joinable()) return ListDirectory(ticket->dir, followLinks_, withFileSizes_);
  std::unique_lock lock(mutex_);
  if (ticket->state == TTask::TState::Waiting) {
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), ticket));
    ticket->state = TTask::TState::Taken;
    lock.unlock();
    return ListDirectory(ticket->dir, followLinks_, withFileSizes_);
  }
  done_.wait(lock, [&] { return ticket->state == TTask::TState::Ready; });
  ticket->state = TTask::TState::Taken;
  if (listedAhead_-- == kMaxListedAhead) work_.notify_one();
  return std::move(ticket->listing);
}

void TListingReadAhead::ReadAhead() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] { return stopping_ || (!waiting_.empty() && listedAhead_ < kMaxListedAhead); });
    if (stopping_) return;
    const TTicket task = waiting_.back();
    waiting_.pop_back();
    task->state = TTask::TState::Reading;
    lock.unlock();
    TDirectoryListing listing;
    try {
      listing = ListDirectory(task->dir, followLinks_, withFileSizes_);
    } catch (const std::bad_alloc&) {
      listing.openError = ENOMEM;  // reported by the walk, which goes on
    }
    lock.lock();
    task->listing = std::move(listing);
    task->state = TTask::TState::Ready;
    ++listedAhead_;
    done_.notify_one();
  }
}

}  // namespace tansa2::cli
