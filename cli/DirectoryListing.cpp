#include "cli/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

// Entries are described through the directory's descriptor, which spares
// the kernel a walk down the whole path for each of them.
TDirectoryListing ListDirectory(const std::string& dir, bool followLinks) {
  TDirectoryListing listing;
  const std::unique_ptr<DIR, int (*)(DIR*)> handle(opendir(dir.empty() ? "." : dir.c_str()), closedir);
  if (!handle) {
    listing.openError = errno;
    return listing;
  }
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = readdir(handle.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  listing.readError = errno;
  std::sort(names.begin(), names.end());
  const int dirFd = dirfd(handle.get());
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  for (std::string& name : names) {
    struct stat st {};
    if (fstatat(dirFd, name.c_str(), &st, flags) != 0) {
      if (errno != ENOENT) listing.entries.push_back({.name = std::move(name), .error = errno});
    } else if (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode)) {
      listing.entries.push_back({.name = std::move(name),
                                 .directory = S_ISDIR(st.st_mode),
                                 .size = static_cast<uint64_t>(st.st_size),
                                 .identity = {st.st_dev, st.st_ino}});
    }
  }
  return listing;
}

TListingReadAhead::TListingReadAhead(bool followLinks)
    : followLinks_(followLinks), reader_([this] { ReadAhead(); }) {}

TListingReadAhead::~TListingReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_.notify_one();
  reader_.join();
}

TListingReadAhead::TTicket TListingReadAhead::Ask(std::string dir) {
  auto task = std::make_shared<TTask>();
  task->dir = std::move(dir);
  std::lock_guard lock(mutex_);
  waiting_.push_back(task);
  if (waiting_.size() == 1) work_.notify_one();
  return task;
}

TDirectoryListing TListingReadAhead::Take(const TTicket& ticket) {
  std::unique_lock lock(mutex_);
  if (ticket->state == TTask::TState::Waiting) {
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), ticket));
    ticket->state = TTask::TState::Taken;
    lock.unlock();
    return ListDirectory(ticket->dir, followLinks_);
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
      listing = ListDirectory(task->dir, followLinks_);
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
