#include "platform/ListingCache.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/DirectoryReading.h"

namespace tansa2::platform {
namespace {

// Directories read ahead of the walk at most: each holds all its entries.
// With fewer, the walk through small directories kept catching up with the
// readers and waiting for them.
constexpr size_t kReadAheadWindow = 32;
// Sleeping readers are woken once this many directories wait to be read,
// not for each: woken, a reader takes the core from the walk at once.
constexpr size_t kWakeBatch = 8;
// Two readers describe directories twice as fast as one; more would only
// take cores from the search itself.
constexpr unsigned kReaders = 2;

}  // namespace

struct TListingCache::TReaders {
  enum class TState { Waiting, Reading, Ready };
  struct TEntry {
    std::string cp932Dir;
    std::shared_ptr<const TUser> user;
    TState state = TState::Waiting;
    std::shared_ptr<const TDirectory> directory;  // when ready; null when it couldn't be read whole
  };

  std::mutex mutex;
  std::condition_variable work;  // for the readers: a directory to read
  std::condition_variable done;  // for the walk: a directory read
  // In the order the walk lists them. A reader holds its own reference, so
  // an entry may be dropped while it is read.
  std::deque<std::shared_ptr<TEntry>> entries;
  bool stopping = false;
  // Who sleeps: a wake-up costs about as much as reading a small directory,
  // so nobody is woken who isn't waiting, and never while the waker still
  // holds the lock the woken one needs first.
  unsigned idleReaders = 0;
  bool walkWaits = false;
  std::vector<std::thread> threads;

  TReaders() {
    for (unsigned i = 0; i < kReaders; ++i) threads.emplace_back([this] { Read(); });
  }

  ~TReaders() {
    {
      std::lock_guard lock(mutex);
      stopping = true;
      entries.clear();
    }
    work.notify_all();
    for (std::thread& thread : threads) thread.join();
  }

  size_t WaitingInWindow() const {
    const size_t window = std::min(entries.size(), kReadAheadWindow);
    size_t waiting = 0;
    for (size_t i = 0; i < window; ++i) waiting += entries[i]->state == TState::Waiting;
    return waiting;
  }

  std::shared_ptr<TEntry> NextToRead() const {
    const size_t window = std::min(entries.size(), kReadAheadWindow);
    for (size_t i = 0; i < window; ++i)
      if (entries[i]->state == TState::Waiting) return entries[i];
    return nullptr;
  }

  void Read() {
    std::unique_lock lock(mutex);
    for (;;) {
      std::shared_ptr<TEntry> entry;
      ++idleReaders;
      work.wait(lock, [&] { return stopping || (entry = NextToRead()); });
      --idleReaders;
      if (stopping) return;
      entry->state = TState::Reading;
      lock.unlock();
      std::shared_ptr<const TDirectory> directory;
      // Whatever goes wrong here, the walk reads the directory itself and
      // meets the failure on its own thread.
      try {
        uint32_t error = 0;
        directory = ReadDirectory(DirectoryPathOf(entry->cp932Dir), *entry->user, error, nullptr);
        if (directory && directory->endError != ERROR_NO_MORE_FILES) directory.reset();
      } catch (...) {
        directory.reset();
      }
      lock.lock();
      entry->directory = std::move(directory);
      entry->state = TState::Ready;
      if (walkWaits) {
        lock.unlock();
        done.notify_all();
        lock.lock();
      }
    }
  }

  // Wakes the sleeping readers when enough directories wait to be read;
  // called with `lock` held, which it gives up first.
  void WakeReaders(std::unique_lock<std::mutex>& lock) {
    const bool wake = idleReaders > 0 && WaitingInWindow() >= kWakeBatch;
    lock.unlock();
    if (wake) work.notify_all();
  }

  // The listing read ahead for `cp932Dir`, dropping it and every entry the
  // walk has passed over; null when there is none. The walk lists in the
  // order it named, so only the window is looked at.
  std::shared_ptr<const TDirectory> Take(std::string_view cp932Dir) {
    std::unique_lock lock(mutex);
    const size_t window = std::min(entries.size(), kReadAheadWindow);
    size_t found = 0;
    while (found < window && entries[found]->cp932Dir != cp932Dir) ++found;
    if (found == window) return nullptr;
    std::shared_ptr<TEntry> entry = entries[found];
    entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(found) + 1);
    const TState state = entry->state;
    if (state != TState::Reading) {
      // The window has moved on: a directory has come into it.
      WakeReaders(lock);
      return state == TState::Ready ? entry->directory : nullptr;  // not begun: the walk reads it itself
    }
    walkWaits = true;
    done.wait(lock, [&] { return entry->state == TState::Ready; });
    walkWaits = false;
    WakeReaders(lock);
    return entry->directory;
  }
};

TListingCache::TListingCache() : user_(std::make_shared<const TUser>()) {}
TListingCache::~TListingCache() = default;

void TListingCache::Clear() {
  user_ = std::make_shared<const TUser>();
  last_.reset();
  if (!readers_) return;
  std::lock_guard lock(readers_->mutex);
  readers_->entries.clear();
}

void TListingCache::ReadAhead(std::string_view cp932Dir) {
  if (!readers_) readers_ = std::make_unique<TReaders>();
  std::unique_lock lock(readers_->mutex);
  readers_->entries.push_back(std::make_shared<TReaders::TEntry>());
  readers_->entries.back()->cp932Dir = std::string(cp932Dir);
  readers_->entries.back()->user = user_;
  readers_->WakeReaders(lock);
}

std::shared_ptr<const TDirectory> TListingCache::Known(std::string_view cp932Dir) {
  if (readers_)
    if (std::shared_ptr<const TDirectory> readAhead = readers_->Take(cp932Dir)) return readAhead;
  return last_;
}

void TListingCache::Keep(std::shared_ptr<const TDirectory> directory) {
  // A reading cut short is not kept: the next listing tries again.
  if (directory->endError == ERROR_NO_MORE_FILES) last_ = std::move(directory);
}

}  // namespace tansa2::platform
