#pragma once
// Searches one file: reads its lines raw, or detects its code and converts
// it to Shift-JIS, and reports every line the pattern matches.
#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "engine/LineMatcher.h"

namespace tansa2 {

class TKyGrep;
// `Line` is only valid during the call.
using TOnMatchEvent = std::function<void(TKyGrep& Sender, std::string_view Line, int LineNum,
                                         int MatchPos, int MatchLen)>;

class TKyGrep {
 public:
  std::string RegExp;  // m/.../k or m/.../ki
  bool AutoCode = true;
  TOnMatchEvent OnMatch;
  // Lets the owner's window handle pending messages; called after each match.
  std::function<void()> ProcessMessages;

  const std::string& FileName() const { return fileName_; }

  // Number of matching lines; 0 when none or the file was skipped.
  // Throws platform::EFOpenError (converted mode), platform::EInOutError
  // and EBRegExpError.
  int GrepFile(const std::string& FileName);
  // The running GrepFile stops after the line it is on.
  void Cancel() { canceled_ = true; }

 private:
  std::string fileName_;
  std::atomic<bool> canceled_ = false;
  TLineMatcher matcher_;
};

}  // namespace tansa2
