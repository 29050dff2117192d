#pragma once
// What a search hands whoever takes its results: a file begins, its
// matching lines, the file ends; or the file (or a directory being listed)
// failed. Every call answers whether the search goes on.
#include <string_view>

namespace tansa2 {

// One matching line, in the order of a result row's cells. The views are
// valid during the call only.
struct TGrepHit {
  std::string_view FileName;  // the path the file was searched under, CP932
  int LineNum;                // 1-based
  std::string_view Line;      // as it was tested: converted to Shift-JIS or the file's own bytes
  int MatchPos;               // 1-based byte position of the line's first match
  int MatchLen;               // bytes
};

// A file that couldn't be searched, or a directory whose listing broke off.
struct TGrepFileError {
  enum TStage { feOpen, feRead, feList };
  std::string_view FileName;
  TStage Stage;
  int SystemError;           // the system's error number
  std::string_view Message;  // the whole text, naming the file, CP932
};

class TGrepSink {
 public:
  virtual ~TGrepSink() = default;

  // Before the file's first hit, or before its end when it has none.
  virtual bool FileBegun(std::string_view /*FileName*/) { return true; }
  virtual bool Matched(const TGrepHit& Hit) = 0;
  // After the file's last hit; `HitCount` is its number of matching lines.
  virtual bool FileEnded(std::string_view /*FileName*/, int /*HitCount*/) { return true; }
  virtual bool FileFailed(const TGrepFileError& Error) = 0;
};

}  // namespace tansa2
