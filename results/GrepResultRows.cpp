#include "results/GrepResultRows.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "platform/AtomicFile.h"
#include "results/CSVList.h"
#include "results/CommaText.h"
#include "results/RowFormats.h"

namespace tansa2 {
namespace {

constexpr int kCellCount = 5;

// Decimal text of an int, in a buffer of the caller's.
class TDecimal {
 public:
  explicit TDecimal(int value) : end_(std::to_chars(digits_.data(), digits_.data() + digits_.size(), value).ptr) {}
  std::string_view Text() const { return {digits_.data(), static_cast<size_t>(end_ - digits_.data())}; }

 private:
  std::array<char, 12> digits_;
  char* end_;
};

}  // namespace

int TGrepResultRows::AddData(const TGrepHit& hit) {
  colCount_ = std::max(colCount_, kCellCount);
  const TDecimal lineNumText(hit.LineNum), matchPosText(hit.MatchPos), matchLenText(hit.MatchLen);
  const std::string_view cells[] = {hit.FileName, lineNumText.Text(), hit.Line, matchPosText.Text(),
                                    matchLenText.Text()};
  return rows_.AddRow(cells);
}

void TGrepResultRows::LoadFromFile(const std::string& fileName) {
  const std::string data = ReadTableFile(fileName);
  // Built aside, so a failure part way leaves the current rows as they were.
  TRowStore rows;
  size_t width = 0;
  std::vector<std::string_view> views;
  ForEachTableRow(data, [&](std::vector<std::string>&& cells) {
    width = std::max(width, cells.size());
    views.assign(cells.begin(), cells.end());
    rows.AddRow(views);
  });
  rows_ = std::move(rows);
  colCount_ = static_cast<int>(width);
}

void TGrepResultRows::ForEachCsvLine(const std::function<void(std::string_view line)>& put) const {
  std::vector<std::string_view> cells(static_cast<size_t>(colCount_));
  std::string line;
  for (int i = 0; i < DataCount(); ++i) {
    for (int c = 0; c < colCount_; ++c) cells[static_cast<size_t>(c)] = rows_.Cell(c, i);
    line.clear();
    AppendCommaText(line, cells);
    line += "\r\n";
    put(line);
  }
}

int TGrepResultRows::NumberCell(int col, int index) const {
  const std::string_view text = rows_.Cell(col, index);
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

void TGrepResultRows::SaveToCsvFile(const std::string& fileName) const {
  WriteTableFile(fileName, [this](platform::TAtomicFileWriter& file) {
    ForEachCsvLine([&file](std::string_view line) { file.Write(line); });
  });
}

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
  platform::TAtomicFileWriter file(fileName);
  // The cells go out as stored: a row read from a history file may hold a
  // line number such as "007" that reading it as a number would change.
  for (int i = 0; i < DataCount(); ++i)
    file.Write(saveType == stTag ? TagJumpLine(FileName(i), LineNumText(i), Line(i)) : LineOnlyLine(Line(i)));
  file.Commit();
}

bool TGrepResultRows::EndUpdate() {
  if (updateLock_ > 0) --updateLock_;
  return updateLock_ == 0;
}

}  // namespace tansa2
