#pragma once
// The search's sink for tansa2-grep: gathers each file's hits, picks the
// lines to print (with -v those that don't match, with context the lines
// around), and hands the file to the printer, or prints the counts and
// names the listing options ask for. When only the hits themselves are
// printed or counted, each goes out as it comes instead.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cli/FileReport.h"
#include "cli/LineMatches.h"
#include "cli/LinePrinter.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "engine/GrepSink.h"

namespace tansa2::cli {

struct TSinkSettings {
  TListing listing = TListing::Lines;
  bool invert = false;
  int before = 0;
  int after = 0;
  bool allLines = false;     // every line is needed (offsets, -v, context)
  bool allMatches = false;   // every match of a line is needed
  bool raw = false;          // how files are read again for their other lines
  int code = 0;              // KyConvert's code, kcAuto to detect
  bool withFileName = true;  // for counts
  std::string stdinPath;     // the engine's name for standard input, if read
};

class TSearchSink : public TGrepSink {
 public:
  // `printer` takes whole files; `linePrinter` the hits printed as they come.
  TSearchSink(const TSinkSettings& settings, TOutput& output, TPrinter* printer, TLinePrinter* linePrinter,
              const TColors& colors, std::string pattern);

  bool FileBegun(std::string_view fileName) override;
  bool Matched(const TGrepHit& hit) override;
  bool FileEnded(std::string_view fileName, int hitCount) override;
  bool FileFailed(const TGrepFileError& error) override;

  // A path the walk couldn't read, with the system's error number.
  void PathFailed(const std::string& nativePath, int systemError);

  bool AnySelected() const { return totals_.matchedLines > 0 || quietMatch_; }
  bool AnyError() const { return anyError_; }
  // The totals so far, timed from the sink's creation.
  TRunTotals Totals() const;
  // The printed form of an engine path.
  std::string DisplayPath(std::string_view enginePath) const;

 private:
  struct THit {
    int lineNum;
    std::string line;
    TSpan first;
  };
  std::vector<TSpan> MatchesOf(std::string_view line, TSpan first);
  void Stream(const TGrepHit& hit, TSpan first);
  TFileReport Report(std::string_view enginePath);
  void PrintListing(const std::string& path, int selected);

  const TSinkSettings settings_;
  TOutput& output_;
  TPrinter* printer_;
  TLinePrinter* linePrinter_;
  const TColors colors_;
  TLineMatches matches_;
  // Without -v, context or JSON a file's other lines and its totals matter
  // to nothing printed before its end: the hits aren't kept.
  const bool streaming_;
  std::vector<THit> hits_;  // not streaming: the file's hits, until its end
  TFileReport file_;  // streaming: the file being searched, its counts so far
  TReportLine line_{0, {}, true, {}};  // streaming: the hit being printed
  TRunTotals totals_;
  bool anyError_ = false;
  bool quietMatch_ = false;  // -q stopped the search at a match
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace tansa2::cli
