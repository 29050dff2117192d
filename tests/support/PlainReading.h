#pragma once
// The plain, line-by-line reading that the fast search must agree with:
// split the text into lines the way each mode reads them and test every line.
#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BRegExp.h"

namespace tansa2::testing {

struct TRow {
  int lineNum;
  std::string line;
  int pos;
  int len;
  bool operator==(const TRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TRow& row) {
  return out << row.lineNum << "@" << row.pos << "+" << row.len;
}

// Converted text breaks at CR, LF and CR LF.
inline std::vector<std::string> ConvertedLines(std::string_view text) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < text.size();) {
    const size_t end = std::min(text.find_first_of("\r\n", i), text.size());
    lines.emplace_back(text.substr(i, end - i));
    i = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

// Raw text breaks at LF, loses every CR, and ends where a line begins with 0x1A.
inline std::vector<std::string> RawLines(std::string_view text) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < text.size() && text[i] != '\x1A';) {
    std::string line;
    for (; i < text.size() && text[i] != '\n'; ++i)
      if (text[i] != '\r') line += text[i];
    ++i;
    lines.push_back(line);
  }
  return lines;
}

inline std::vector<TRow> MatchingRows(const std::vector<std::string>& lines, const std::string& pattern,
                                      TBRegExp& regExp) {
  std::vector<TRow> rows;
  for (size_t n = 0; n < lines.size(); ++n)
    if (regExp.Match(pattern, lines[n]) > 0)
      rows.push_back({static_cast<int>(n + 1), lines[n], regExp.MatchPos(), regExp.MatchLen()});
  return rows;
}

}  // namespace tansa2::testing
