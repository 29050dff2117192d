#pragma once
// Listing one directory with a wildcard mask, the way the Win32 directory
// functions do: "." and ".." included, entries sorted by name (ASCII letters
// without case, then bytes), Windows wildcard rules, Win32 attribute bits.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tansa2::platform {

constexpr uint32_t ERROR_NO_MORE_FILES = 18;
constexpr uint32_t ERROR_CANCELLED = 1223;

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;

// One directory entry.
struct TFindData {
  uint32_t dwFileAttributes = 0;
  uint64_t ftCreationTime = 0;    // 100 ns units since 1601, as Win32 keeps them
  uint64_t ftLastAccessTime = 0;
  uint64_t ftLastWriteTime = 0;
  uint64_t nFileSize = 0;         // of the file the entry leads to
  uint64_t nDevice = 0;           // identity of the file the entry leads to,
  uint64_t nInode = 0;            // so a walk can tell a directory seen before
  std::string cFileName;          // CP932
};

class TListingCache;

// One listing pass: FindFirst, then FindNext until it returns false.
class TFindHandle {
 public:
  TFindHandle();
  ~TFindHandle();
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;

  // `pathWithMask` is directory + "/" + mask, CP932; `cache`, when given,
  // holds the walk's listings kept and read ahead. False when nothing
  // matches or the directory can't be read.
  bool FindFirst(std::string_view pathWithMask, TFindData& data, TListingCache* cache = nullptr);
  // False at the end (LastError() 18) or on a failure (another code).
  bool FindNext(TFindData& data);
  uint32_t LastError() const { return lastError_; }

 private:
  struct Listing;
  std::unique_ptr<Listing> listing_;
  uint32_t lastError_ = 0;
};

// Windows wildcard match: letters without case, "*" any run, "?" one
// character (a double-byte character is one); "*.*" and "*" match every name.
bool MatchesMask(std::string_view cp932Name, std::string_view mask);

}  // namespace tansa2::platform
