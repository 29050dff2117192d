// The raw and converted line readers, and the readers of each code's own
// bytes, on any file: every match lies inside its line, line numbers rise,
// and the raw and converted readers find exactly the rows that testing
// every line finds.
#include <atomic>
#include <vector>

#include "engine/KyConvert.h"
#include "engine/LineMatcher.h"
#include "fuzz/FuzzInput.h"
#include "tests/support/PlainReading.h"

using namespace tansa2;

namespace {

// A literal, a pattern with no literal, one whose matches can cross
// nothing but stay in a line, one whose lines must hold a second word, and
// runs of a class across lead bytes, of listed characters and of several classes.
const char* const kPatterns[] = {"m/a/k", "m/\\x82\\xa0|b/ki", "m/^/k", "m/[^x]$/k", "m/\x83\x5c/k",
                                 "m/\x93\x8c.?[\x93\x73\x95\x7b]/k", "m/[\x88\xea-\xea\x9e]{3}/k",
                                 "m/[\x83\x41\x83\x5c]{2}/k", "m/[\x88\xea-\xea\xa4]{2}[\x82\x9f-\x82\xf1]{2}/k"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view text = fuzz::AsText(data + 1, size - 1);
  const std::string pattern = kPatterns[data[0] % std::size(kPatterns)];
  TLineMatcher matcher;
  matcher.SetPattern(pattern);
  const std::atomic<bool> cancel{false};
  int lastLine = 0;
  const TLineMatcher::TOnLine onLine = [&](std::string_view line, int lineNum, int matchPos, int matchLen) {
    fuzz::Check(lineNum > lastLine);
    fuzz::Check(matchPos >= 1 && matchLen >= 0 && size_t(matchPos - 1 + matchLen) <= line.size());
    lastLine = lineNum;
    return true;
  };
  TBRegExp plain;
  std::vector<testing::TRow> rows;
  const TLineMatcher::TOnLine keepRow = [&](std::string_view line, int lineNum, int matchPos, int matchLen) {
    rows.push_back({lineNum, std::string(line), matchPos, matchLen});
    return onLine(line, lineNum, matchPos, matchLen);
  };
  matcher.MatchRaw(text, keepRow, cancel);
  fuzz::Check(rows == testing::MatchingRows(testing::RawLines(text), pattern, plain));
  lastLine = 0;
  rows.clear();
  matcher.MatchConverted(text, keepRow, cancel);
  fuzz::Check(rows == testing::MatchingRows(testing::ConvertedLines(text), pattern, plain));
  for (int code : {int(kcJis), int(kcEuc), int(kcSjis), int(kcUtf16LE), int(kcUtf16BE), int(kcUtf8Bom),
                   int(kcUtf8)}) {
    lastLine = 0;
    matcher.MatchEncoded(text, code, onLine, cancel);
  }
  return 0;
}
