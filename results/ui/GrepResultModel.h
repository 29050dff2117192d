#pragma once
// The result list's rows as a table for Qt's views: three columns (file name,
// line number, line text) over the row store. An empty list still has one
// row, blank, so that the list always has a current row. Rows added to the
// store reach the views only when ShowRows says so, many at a time.
#include <QAbstractTableModel>
#include <algorithm>
#include <string>
#include <vector>

#include "results/GrepResultRows.h"

namespace tansa2 {

class TGrepResultModel : public QAbstractTableModel {
 public:
  static constexpr int kColCount = 3;

  explicit TGrepResultModel(QObject* parent = nullptr);

  TGrepResultRows& Rows() { return rows_; }
  const TGrepResultRows& Rows() const { return rows_; }
  // Rows on show: the data rows, or the one blank row of an empty list.
  int ShownRows() const { return std::max(1, shown_); }
  // Tells the views about the rows the store gained or lost since the last
  // call; `replaced` when the rows kept may hold other texts (a clear, a
  // load). A current row past the new end moves to the last row.
  void ShowRows(bool replaced);

  const std::vector<std::string>& Captions() const { return captions_; }
  void SetCaptions(std::vector<std::string> captions);
  bool FileNameOnly() const { return fileNameOnly_; }
  void SetFileNameOnly(bool value);
  // What column 0 shows of a path: the whole path, or its file name alone.
  std::string_view ShownFileName(int index) const;

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ShownRows(); }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColCount; }
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  TGrepResultRows rows_;
  int shown_ = 0;  // data rows the views know of
  std::vector<std::string> captions_;
  bool fileNameOnly_ = false;
};

}  // namespace tansa2
