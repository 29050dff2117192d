#pragma once
// ripgrep's JSON Lines: for each file with a selected line "begin", then a
// "match" or "context" message per line, then "end"; a "summary" last.
// Lines, columns and offsets are those of the UTF-8 text.
#include "cli/FileReport.h"
#include "cli/Output.h"

namespace tansa2::cli {

class TJsonPrinter : public TPrinter {
 public:
  explicit TJsonPrinter(TOutput& output) : output_(output) {}
  void File(const TFileReport& report) override;
  void Finish(const TRunTotals& totals) override;

 private:
  TOutput& output_;
};

// A JSON string of UTF-8 text.
std::string JsonString(std::string_view utf8);

}  // namespace tansa2::cli
