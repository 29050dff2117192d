#include "cli/SearchSink.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cli/FileLines.h"
#include "cli/InputWalk.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"

namespace tansa2::cli {
namespace {

void PrintError(const std::string& path, int systemError) {
  std::fprintf(stderr, "tansa2-grep: %s: %s (os error %d)\n", path.c_str(), std::strerror(systemError), systemError);
}

}  // namespace

TSearchSink::TSearchSink(const TSinkSettings& settings, TOutput& output, TPrinter* printer, TLinePrinter* linePrinter,
                         const TColors& colors, std::string pattern)
    : settings_(settings),
      output_(output),
      printer_(printer),
      linePrinter_(linePrinter),
      colors_(colors),
      matches_(std::move(pattern)),
      streaming_(!settings.allLines) {}

std::string TSearchSink::DisplayPath(std::string_view enginePath) const {
  if (!settings_.stdinPath.empty() && enginePath == settings_.stdinPath) return "<stdin>";
  return NativeOf(enginePath);
}

bool TSearchSink::FileBegun(std::string_view fileName) {
  hits_.clear();
  if (streaming_) file_ = TFileReport{DisplayPath(fileName), {}};
  return true;
}

bool TSearchSink::Matched(const TGrepHit& hit) {
  const size_t begin = static_cast<size_t>(std::max(hit.MatchPos - 1, 0));
  const TSpan first{begin, begin + std::max(hit.MatchLen, 0)};
  if (streaming_) Stream(hit, first);
  else hits_.push_back({hit.LineNum, std::string(hit.Line), first});
  // Quiet, the first match answers the question.
  if (settings_.listing != TListing::Quiet || settings_.invert) return true;
  quietMatch_ = true;
  return false;
}

// A hit counted, and printed at once when lines are.
void TSearchSink::Stream(const TGrepHit& hit, TSpan first) {
  line_.lineNum = hit.LineNum;
  line_.text.assign(hit.Line);
  if (settings_.allMatches) line_.matches = matches_.All(line_.text, first);
  else line_.matches.assign(1, first);  // the vector's room kept: a line a hit, often a million
  file_.matches += static_cast<int>(line_.matches.size());
  ++file_.selectedLines;
  if (settings_.listing != TListing::Lines) return;
  // A heading goes above the first hit, not above a file that has none.
  if (file_.selectedLines == 1) linePrinter_->StartFile(file_.path);
  linePrinter_->Line(file_.path, line_);
}

bool TSearchSink::FileEnded(std::string_view fileName, int) {
  ++totals_.searches;
  TFileReport report;
  if (streaming_) {
    report = std::move(file_);
  } else {
    try {
      report = Report(fileName);
    } catch (const platform::EFileError& error) {
      PathFailed(DisplayPath(fileName), error.SystemError());
      return true;
    }
  }
  totals_.bytesSearched += report.bytesSearched;
  if (report.selectedLines == 0) {
    if (settings_.listing == TListing::FilesWithoutMatch) PrintListing(report.path, 0);
    return true;
  }
  ++totals_.searchesWithMatch;
  totals_.matchedLines += report.selectedLines;
  totals_.matches += report.matches;
  if (settings_.listing != TListing::Lines) PrintListing(report.path, report.selectedLines);
  else if (!streaming_) printer_->File(report);
  return settings_.listing != TListing::Quiet;
}

void TSearchSink::PrintListing(const std::string& path, int selected) {
  switch (settings_.listing) {
    case TListing::Counts:
      if (settings_.withFileName) {
        output_.Path(colors_.path, path);
        output_.Bytes(":");
      }
      output_.Bytes(std::to_string(selected));
      break;
    case TListing::FilesWithMatches:
    case TListing::FilesWithoutMatch:
      // Each lists the files of its own kind.
      if ((selected > 0) != (settings_.listing == TListing::FilesWithMatches)) return;
      output_.Path(colors_.path, path);
      break;
    default:
      return;
  }
  output_.EndLine();
}

bool TSearchSink::FileFailed(const TGrepFileError& error) {
  PathFailed(DisplayPath(error.FileName), error.SystemError);
  return true;
}

void TSearchSink::PathFailed(const std::string& nativePath, int systemError) {
  output_.Flush();
  PrintError(nativePath.empty() ? "." : nativePath, systemError);
  anyError_ = true;
}

TRunTotals TSearchSink::Totals() const {
  TRunTotals totals = totals_;
  totals.elapsedNanos = static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_).count());
  return totals;
}

std::vector<TSpan> TSearchSink::MatchesOf(std::string_view line, TSpan first) {
  return settings_.allMatches ? matches_.All(line, first) : std::vector<TSpan>{first};
}

TFileReport TSearchSink::Report(std::string_view enginePath) {
  TFileReport report;
  report.path = DisplayPath(enginePath);
  if (hits_.empty() && !settings_.invert) return report;
  // The whole file again: the lines around the hits, the ones between them.
  std::vector<std::string> lines = ReadFileLines(std::string(enginePath), settings_.raw, settings_.code);
  const int count = static_cast<int>(lines.size());
  std::vector<const THit*> hitOf(count + 1, nullptr);
  for (const THit& hit : hits_)
    if (hit.lineNum >= 1 && hit.lineNum <= count) hitOf[hit.lineNum] = &hit;
  std::vector<char> shown(count + 1, 0);  // 1 selected, 2 context
  for (int n = 1; n <= count; ++n) {
    if ((hitOf[n] != nullptr) == settings_.invert) continue;
    shown[n] = 1;
    ++report.selectedLines;
    for (int k = std::max(1, n - settings_.before); k <= std::min(count, n + settings_.after); ++k)
      if (shown[k] == 0) shown[k] = 2;
  }
  uint64_t offset = 0;
  for (int n = 1; n <= count; ++n) {
    const uint64_t length = output_.Converted(lines[n - 1]).size() + 1;
    if (shown[n] != 0) {
      TReportLine line{n, std::move(lines[n - 1]), shown[n] == 1, {}, offset};
      if (line.selected && hitOf[n]) line.matches = MatchesOf(hitOf[n]->line, hitOf[n]->first);
      report.matches += static_cast<int>(line.selected ? std::max<size_t>(line.matches.size(), 1) : 0);
      report.lines.push_back(std::move(line));
    }
    offset += length;
  }
  report.bytesSearched = offset;
  return report;
}

}  // namespace tansa2::cli
