#pragma once
// The rows of the result list, without any drawing: one row per matching
// line, five text cells (file name, line number, line text, match position,
// match length), the writers of the three save formats and the counter of
// the list's nested update lock.
#include <functional>
#include <string>
#include <string_view>

#include "engine/GrepSink.h"
#include "results/RowStore.h"

namespace tansa2 {

class TGrepResultRows {
 public:
  // Appends a row (numbers as decimal text) and returns its index.
  int AddData(const TGrepHit& hit);
  // The rows go; a table widened by a loaded file stays as wide.
  void ClearData() { rows_.Clear(); }
  int DataCount() const { return rows_.RowCount(); }

  // A row that doesn't exist gives "" and -1; so does a number cell that
  // doesn't hold a number (a damaged history file). The texts are valid
  // until the rows are cleared or replaced.
  std::string_view FileName(int index) const { return rows_.Cell(0, index); }
  int LineNum(int index) const;
  std::string_view LineNumText(int index) const { return rows_.Cell(1, index); }
  std::string_view Line(int index) const { return rows_.Cell(2, index); }
  int MatchPos(int index) const;
  int MatchLen(int index) const;

  // The file is replaced whole or not at all: throws platform::EInOutError
  // naming the file and the reason, and an earlier file is left as it was.
  void SaveToCsvFile(const std::string& fileName) const;
  void SaveToTagFile(const std::string& fileName) const;
  void SaveToLineOnlyFile(const std::string& fileName) const;
  // stCsv, stTag, and line texts for any other value.
  void SaveToFile(const std::string& fileName, int saveType) const;
  // Hands the rows to `put` one at a time, as SaveToCsvFile writes them:
  // each row as comma text of as many cells as the widest row has, ending in
  // CR LF. The line is valid until the next call.
  void ForEachCsvLine(const std::function<void(std::string_view line)>& put) const;
  // Replaces the rows with those of a file SaveToCsvFile wrote, or of any
  // comma-separated file; throws EQuietAbort with the rows unchanged when
  // the file can't be read.
  void LoadFromFile(const std::string& fileName);

  // Nested lock: true when this call suspends painting (the first one).
  bool BeginUpdate() { return updateLock_++ == 0; }
  // True when painting is to resume, also for an unmatched call.
  bool EndUpdate();
  bool Updating() const { return updateLock_ > 0; }

 private:
  int NumberCell(int col, int index) const;
  void SaveRows(const std::string& fileName, int saveType) const;

  TRowStore rows_;
  int colCount_ = 0;  // cells every row is written with
  int updateLock_ = 0;
};

}  // namespace tansa2
