#pragma once
// Matching lines as text: ripgrep's shape (path:line:text, context lines
// with "-", groups parted by "--", or a heading above each file's lines),
// --vimgrep's path:line:column:text, and the window's save formats.
#include "cli/FileReport.h"
#include "cli/Options.h"
#include "cli/Output.h"

namespace tansa2::cli {

struct TLineLayout {
  TShape shape = TShape::Ripgrep;
  bool withFileName = false;
  bool lineNumbers = false;
  bool heading = false;
  bool onlyMatching = false;
  bool context = false;  // context lines were asked for: groups are parted
};

class TLinePrinter : public TPrinter {
 public:
  TLinePrinter(TOutput& output, const TLineLayout& layout, const TColors& colors)
      : output_(output), layout_(layout), colors_(colors) {}
  void File(const TFileReport& report) override;
  // A file's lines one at a time as they are found, when nothing around
  // them is printed: StartFile before the first.
  void StartFile(const std::string& path);
  void Line(const std::string& path, const TReportLine& line);

 private:
  void Prefix(const std::string& path, const TReportLine& line, char separator);
  void PaintedLine(const TReportLine& line);
  void SaveFormat(const std::string& path, const TReportLine& line);

  TOutput& output_;
  const TLineLayout layout_;
  const TColors colors_;
  bool printedFile_ = false;
};

}  // namespace tansa2::cli
