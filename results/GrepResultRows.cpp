#include "results/GrepResultRows.h"

#include <charconv>

#include "platform/AtomicFile.h"
#include "results/RowFormats.h"

namespace tansa2 {
namespace {

constexpr int kCellCount = 5;

}  // namespace

int TGrepResultRows::AddData(const std::string& fileName, int lineNum, std::string_view line, int matchPos,
                             int matchLen) {
  // Widening first lets every new row come out of AddRow at its full width.
  if (rows_.ColCount() < kCellCount) rows_.SetColCount(kCellCount);
  const int index = rows_.AddRow({});
  rows_.SetCells(0, index, fileName);
  rows_.SetCells(1, index, std::to_string(lineNum));
  rows_.SetCells(2, index, std::string(line));
  rows_.SetCells(3, index, std::to_string(matchPos));
  rows_.SetCells(4, index, std::to_string(matchLen));
  return index;
}

int TGrepResultRows::NumberCell(int col, int index) const {
  const std::string& text = rows_.Cells(col, index);
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  int value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc() && stop == end && begin != end ? value : -1;
}

int TGrepResultRows::LineNum(int index) const { return NumberCell(1, index); }
int TGrepResultRows::MatchPos(int index) const { return NumberCell(3, index); }
int TGrepResultRows::MatchLen(int index) const { return NumberCell(4, index); }

void TGrepResultRows::SaveToCsvFile(const std::string& fileName) const { rows_.SaveToFile(fileName); }
void TGrepResultRows::SaveToTagFile(const std::string& fileName) const { SaveRows(fileName, stTag); }
void TGrepResultRows::SaveToLineOnlyFile(const std::string& fileName) const { SaveRows(fileName, stLineOnly); }

void TGrepResultRows::SaveToFile(const std::string& fileName, int saveType) const {
  if (saveType == stCsv)
    SaveToCsvFile(fileName);
  else if (saveType == stTag)
    SaveToTagFile(fileName);
  else
    SaveToLineOnlyFile(fileName);
}

void TGrepResultRows::SaveRows(const std::string& fileName, int saveType) const {
  std::string text;
  TResultRow row;
  for (int i = 0; i < DataCount(); ++i) {
    row.FileName = FileName(i);
    row.LineNum = LineNum(i);
    row.Line = Line(i);
    text += FormatRow(row, saveType);
  }
  platform::WriteFileAtomically(fileName, text);
}

bool TGrepResultRows::EndUpdate() {
  if (updateLock_ > 0) --updateLock_;
  return updateLock_ == 0;
}

}  // namespace tansa2
