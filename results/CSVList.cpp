#include "results/CSVList.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/FileIO.h"
#include "platform/NameForm.h"
#include "results/CommaText.h"
#include "results/QuietAbort.h"

namespace tansa2 {
namespace {

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view Trim(std::string_view line) {
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && IsTrimmed(line[begin])) ++begin;
  while (end > begin && IsTrimmed(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

}  // namespace

const std::string& TCSVList::Cells(int col, int row) const {
  static const std::string empty;
  if (row < 0 || row >= RowCount() || col < 0) return empty;
  const auto& cells = rows_[static_cast<size_t>(row)];
  return static_cast<size_t>(col) < cells.size() ? cells[static_cast<size_t>(col)] : empty;
}

void TCSVList::SetCells(int col, int row, std::string value) {
  // A negative column names no cell; the largest int can't be widened to.
  if (row < 0 || row >= RowCount() || col < 0 || col == std::numeric_limits<int>::max()) return;
  auto& cells = rows_[static_cast<size_t>(row)];
  if (static_cast<size_t>(col) >= cells.size()) SetColCount(col + 1);
  cells[static_cast<size_t>(col)] = std::move(value);
}

void TCSVList::SetColCount(int value) {
  if (value < 0 || value == colCount_) return;
  for (auto& cells : rows_) cells.resize(static_cast<size_t>(value));
  colCount_ = value;
}

int TCSVList::AddRow(std::string_view commaText) {
  std::vector<std::string> cells = FromCommaText(commaText);
  if (cells.size() < static_cast<size_t>(colCount_)) cells.resize(static_cast<size_t>(colCount_));
  SetColCount(static_cast<int>(cells.size()));
  rows_.push_back(std::move(cells));
  return RowCount() - 1;
}

std::string ReadTableFile(const std::string& fileName) {
  try {
    return platform::ReadWholeFile(fileName);
  } catch (const std::exception&) {
    throw EQuietAbort();
  }
}

void ForEachTableRow(std::string_view text, const std::function<void(std::vector<std::string>&& cells)>& addRow) {
  text = text.substr(0, text.find('\0'));
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    const std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;
    if (!line.empty()) addRow(FromCommaText(line));
  }
}

bool TCSVList::LoadFromFile(const std::string& fileName) {
  const std::string data = ReadTableFile(fileName);
  // Built aside, so a failure part way leaves the current rows as they were.
  std::vector<std::vector<std::string>> rows;
  size_t width = 0;
  ForEachTableRow(data, [&](std::vector<std::string>&& cells) {
    width = std::max(width, cells.size());
    rows.push_back(std::move(cells));
  });
  for (auto& cells : rows) cells.resize(width);
  rows_ = std::move(rows);
  colCount_ = static_cast<int>(width);
  return true;
}

void WriteTableFile(const std::string& fileName,
                    const std::function<void(platform::TAtomicFileWriter& file)>& writeRows) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(platform::NativePath(fileName), error);
  // A folder that can't be made shows up as a file that can't be written,
  // with the reason the write gives.
  if (!error) std::filesystem::create_directories(path.parent_path(), error);
  platform::TAtomicFileWriter file(fileName);
  writeRows(file);
  file.Commit();
}

void TCSVList::SaveToFile(const std::string& fileName) const {
  WriteTableFile(fileName, [this](platform::TAtomicFileWriter& file) {
    ForEachLine([&file](std::string_view line) { file.Write(line); });
  });
}

std::string TCSVList::Text() const {
  std::string text;
  ForEachLine([&text](std::string_view line) { text += line; });
  return text;
}

void TCSVList::ForEachLine(const std::function<void(std::string_view line)>& put) const {
  std::string line;
  for (const auto& cells : rows_) {
    line = ToCommaText(cells);
    line += "\r\n";
    put(line);
  }
}

}  // namespace tansa2
