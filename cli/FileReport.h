#pragma once
// What tansa2-grep prints of one searched file: its selected lines (those
// that match, or with -v those that don't) and the context around them, in
// file order; and the printers that put it in one of the output shapes.
#include <cstdint>
#include <string>
#include <vector>

namespace tansa2::cli {

// A match inside a line: bytes [begin, end) of the line's CP932 text.
struct TSpan {
  size_t begin;
  size_t end;
};

struct TReportLine {
  int lineNum;
  std::string text;            // CP932
  bool selected;               // false: a context line
  std::vector<TSpan> matches;  // every match of a selected line, when asked for
  uint64_t offset = 0;         // of the line's start in the printed text of the whole file
};

struct TFileReport {
  std::string path;  // as printed: native bytes, or "<stdin>"
  std::vector<TReportLine> lines;
  int selectedLines = 0;
  int matches = 0;
  uint64_t bytesSearched = 0;
};

// The run's totals, for a summary at the end.
struct TRunTotals {
  uint64_t elapsedNanos = 0;
  int searches = 0;
  int searchesWithMatch = 0;
  uint64_t bytesSearched = 0;
  uint64_t bytesPrinted = 0;
  int matchedLines = 0;
  int matches = 0;
};

class TPrinter {
 public:
  virtual ~TPrinter() = default;
  // Each searched file with at least one selected line, in search order.
  virtual void File(const TFileReport& report) = 0;
  virtual void Finish(const TRunTotals&) {}
};

}  // namespace tansa2::cli
