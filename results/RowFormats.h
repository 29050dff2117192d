#pragma once
// The three ways a result row is written out: comma-separated, tag-jump
// ("path(line):text") and the bare line text. Each line ends with CR LF.
#include <string>
#include <string_view>

namespace tansa2 {

struct TResultRow {
  std::string FileName;  // full path
  int LineNum = 0;       // 1-based
  std::string Line;      // without its line break
  int MatchPos = 0;      // 1-based byte position of the first match
  int MatchLen = 0;      // bytes
};

enum TSaveType { stCsv = 0, stTag = 1, stLineOnly = 2 };

std::string CsvLine(const TResultRow& row);
std::string TagJumpLine(const TResultRow& row);
// From a row's stored cells: the line number cell is written as it is held
// ("007" stays "007", a text that is no number stays that text).
std::string TagJumpLine(std::string_view fileName, std::string_view lineNum, std::string_view line);
std::string LineOnlyLine(const TResultRow& row);
std::string LineOnlyLine(std::string_view line);
// stCsv, stTag, and any other value the bare line.
std::string FormatRow(const TResultRow& row, int saveType);

}  // namespace tansa2
