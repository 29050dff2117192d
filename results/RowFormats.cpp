#include "results/RowFormats.h"

#include "results/CommaText.h"

namespace tansa2 {

std::string CsvLine(const TResultRow& row) {
  return ToCommaText({row.FileName, std::to_string(row.LineNum), row.Line, std::to_string(row.MatchPos),
                      std::to_string(row.MatchLen)}) +
         "\r\n";
}

std::string TagJumpLine(const TResultRow& row) {
  return TagJumpLine(row.FileName, std::to_string(row.LineNum), row.Line);
}

std::string TagJumpLine(std::string_view fileName, std::string_view lineNum, std::string_view line) {
  std::string text;
  text.reserve(fileName.size() + lineNum.size() + line.size() + 5);
  text.append(fileName).append("(").append(lineNum).append("):").append(line).append("\r\n");
  return text;
}

std::string LineOnlyLine(const TResultRow& row) { return LineOnlyLine(row.Line); }

std::string LineOnlyLine(std::string_view line) { return std::string(line) + "\r\n"; }

std::string FormatRow(const TResultRow& row, int saveType) {
  switch (saveType) {
    case stCsv:
      return CsvLine(row);
    case stTag:
      return TagJumpLine(row);
    default:
      return LineOnlyLine(row);
  }
}

}  // namespace tansa2
