#pragma once
// A table of string cells kept as comma text, one row a line; the file
// format of saved results and of the result history.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"

namespace tansa2 {

// A table file's bytes; throws EQuietAbort when the file can't be read.
std::string ReadTableFile(const std::string& fileName);
// Writes a table file: missing folders are created, `writeRows` gives the
// file its bytes, and the file is replaced whole or not at all (see
// TCSVList::SaveToFile).
void WriteTableFile(const std::string& fileName,
                    const std::function<void(platform::TAtomicFileWriter& file)>& writeRows);
// Calls `addRow` with the cells of each row of a table file's text: a line
// ends at CR LF, at a lone CR or at a lone LF, the text at its first 0x00
// byte; blanks around a line are dropped, and a line of none but them gives
// no row.
void ForEachTableRow(std::string_view text, const std::function<void(std::vector<std::string>&& cells)>& addRow);

class TCSVList {
 public:
  // "" outside the table.
  const std::string& Cells(int col, int row) const;
  // Ignored for a row outside the table; a column past the end widens every row.
  void SetCells(int col, int row, std::string value);

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColCount() const { return colCount_; }
  void SetColCount(int value);

  // Appends a row read from comma text; returns its index.
  int AddRow(std::string_view commaText);
  void Clear() { rows_.clear(); }
  const std::vector<std::string>& Row(int row) const { return rows_[row]; }

  // Throws EQuietAbort when the file can't be read; the rows then stay.
  bool LoadFromFile(const std::string& fileName);
  // Missing folders are created. The file is replaced whole or not at all:
  // throws platform::EInOutError naming the file and the reason, and an
  // earlier file of that name is then left as it was.
  void SaveToFile(const std::string& fileName) const;
  // The rows as SaveToFile writes them, each line ending in CR LF.
  std::string Text() const;

 private:
  // Hands each line of Text() to `put`, one at a time.
  void ForEachLine(const std::function<void(std::string_view line)>& put) const;

  std::vector<std::vector<std::string>> rows_;
  int colCount_ = 0;
};

}  // namespace tansa2
