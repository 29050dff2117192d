#pragma once
// Directory listings kept for one walk: the directory read last, so listing
// it again with another mask (a walk lists each directory for its files, then
// for its sub-directories) reads it only once; and the directories the walk
// will list next, read ahead on threads of their own, so that describing
// their entries (a call to the kernel per entry) runs on more than one core.
// A kept listing is used only while the directory is unchanged.
#include <memory>
#include <string>
#include <string_view>

namespace tansa2::platform {

struct TDirectory;
struct TUser;

class TListingCache {
 public:
  TListingCache();
  ~TListingCache();
  TListingCache(const TListingCache&) = delete;
  TListingCache& operator=(const TListingCache&) = delete;

  // Forgets every listing and every directory still to be read ahead, and
  // asks anew who the walk is for; its owner calls it when a walk begins.
  void Clear();
  // A directory (CP932, empty for the root) the walk will list, after those
  // named before.
  void ReadAhead(std::string_view cp932Dir);

 private:
  friend class TFindHandle;
  struct TReaders;

  // The listing kept for `cp932Dir` (read ahead, or the last one), if any;
  // waits while it is being read.
  std::shared_ptr<const TDirectory> Known(std::string_view cp932Dir);
  const TUser& User() const { return *user_; }
  void Keep(std::shared_ptr<const TDirectory> directory);

  // Asked once a walk rather than once a directory: it takes three calls
  // to the kernel.
  std::shared_ptr<const TUser> user_;
  std::shared_ptr<const TDirectory> last_;
  std::unique_ptr<TReaders> readers_;
};

}  // namespace tansa2::platform
