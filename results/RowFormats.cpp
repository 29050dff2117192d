#include "results/RowFormats.h"

#include "results/CommaText.h"

namespace tansa2 {

std::string CsvLine(const TResultRow& row) {
  return ToCommaText({row.FileName, std::to_string(row.LineNum), row.Line, std::to_string(row.MatchPos),
                      std::to_string(row.MatchLen)}) +
         "\r\n";
}

std::string TagJumpLine(const TResultRow& row) {
  return row.FileName + "(" + std::to_string(row.LineNum) + "):" + row.Line + "\r\n";
}

std::string LineOnlyLine(const TResultRow& row) { return row.Line + "\r\n"; }

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
