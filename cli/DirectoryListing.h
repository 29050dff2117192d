#pragma once
// The directories of a walk, each listed whole and its entries described.
// Describing a file with its size is a call to the kernel per file, and on a
// tree of many small or empty files those calls are most of the walk; so
// where sizes are wanted, the directories the walk will come to are listed
// ahead on a second thread while the walk lists the nearest ones itself.
// Without sizes a listing is a few calls a directory, and waking a thread
// for each cost more than it saved (7% of a search of 12,000 files in
// 1,100 directories): the walk lists every directory itself.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tansa2::cli {

// A file or directory of a listing; other kinds of entries are left out.
struct TListedEntry {
  std::string name;
  int error = 0;  // describing the entry failed with this system error; the rest is unset
  bool directory = false;
  std::optional<uint64_t> size;  // a file's, when the listing was asked for sizes
};

// A directory's entries in name order (bytes), "." and ".." left out.
struct TDirectoryListing {
  std::pair<uint64_t, uint64_t> identity{};  // the directory's device and inode
  int openError = 0;  // the directory couldn't be opened: no entries
  int readError = 0;  // the listing was cut short: the entries read before it
  std::vector<TListedEntry> entries;
};

// `followLinks`: a link is described as what it leads to, else as a link
// (and left out). A link that leads nowhere is left out either way.
// `withFileSizes`: each file with its size, else without.
TDirectoryListing ListDirectory(const std::string& dir, bool followLinks, bool withFileSizes);

class TListingReadAhead {
  struct TTask;

 public:
  using TTicket = std::shared_ptr<TTask>;

  TListingReadAhead(bool followLinks, bool withFileSizes);
  ~TListingReadAhead();
  TListingReadAhead(const TListingReadAhead&) = delete;
  TListingReadAhead& operator=(const TListingReadAhead&) = delete;

  // A directory the walk will come to; its listing is taken with the ticket.
  TTicket Ask(std::string dir);
  // The listing asked for: read ahead, waited for while it is being read,
  // or read here when no second thread has begun it.
  TDirectoryListing Take(const TTicket& ticket);

 private:
  void ReadAhead();

  const bool followLinks_;
  const bool withFileSizes_;
  std::mutex mutex_;
  std::condition_variable work_;  // for the reader: a directory to list, or room to keep one
  std::condition_variable done_;  // for the walk: a directory listed
  // Asked and not yet begun, in the order asked. The reader takes the last
  // one, the walk the first: each lists what the other needs least soon.
  std::deque<TTicket> waiting_;
  size_t listedAhead_ = 0;  // listings read ahead and not yet taken
  bool stopping_ = false;
  std::thread reader_;  // only where sizes are wanted
};

}  // namespace tansa2::cli
