#pragma once
// Matches the lines of a whole text against a pattern with exactly the
// results of testing it line by line, but looks only at the lines that hold
// the pattern's required literal, when it has one.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/BRegExp.h"
#include "engine/LiteralFinder.h"

namespace tansa2 {

class TLineMatcher {
 public:
  // Called for each matching line, in order; returns false to stop.
  using TOnLine = std::function<bool(std::string_view line, int lineNum, int matchPos, int matchLen)>;

  // m/.../k or m/.../ki.
  void SetPattern(const std::string& pattern);

  // Converted text: lines end at CR, LF or CR LF.
  int MatchConverted(std::string_view text, const TOnLine& onLine, const std::atomic<bool>& cancel);
  // A file's own bytes: lines end at LF or CR LF, a lone CR is dropped from
  // the line, and a line beginning with 0x1A ends the text.
  int MatchRaw(std::string_view text, const TOnLine& onLine, const std::atomic<bool>& cancel);

 private:
  struct TLineBreaks;
  int MatchEveryLine(std::string_view text, const TLineBreaks& breaks, const TOnLine& onLine,
                     const std::atomic<bool>& cancel);
  int MatchCandidateLines(std::string_view text, const TLineBreaks& breaks, const TOnLine& onLine,
                          const std::atomic<bool>& cancel);
  bool Test(std::string_view line, int lineNum, const TOnLine& onLine, int& count, bool& go);

  std::string pattern_;
  std::optional<TLiteralFinder> literal_;
  TBRegExp regExp_;
  std::string withoutCr_;
};

}  // namespace tansa2
