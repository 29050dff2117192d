#include "cli/LinePrinter.h"

#include "results/CommaText.h"

namespace tansa2::cli {

void TLinePrinter::File(const TFileReport& report) {
  StartFile(report.path);
  int previous = 0;
  for (const TReportLine& line : report.lines) {
    if (layout_.context && previous != 0 && line.lineNum > previous + 1) {
      output_.Bytes("--");
      output_.EndLine();
    }
    previous = line.lineNum;
    Line(report.path, line);
  }
}

void TLinePrinter::StartFile(const std::string& path) {
  if (layout_.heading && layout_.withFileName && layout_.shape == TShape::Ripgrep) {
    if (printedFile_) output_.EndLine();
    output_.Path(colors_.path, path);
    output_.EndLine();
  } else if (layout_.context && printedFile_) {
    output_.Bytes("--");
    output_.EndLine();
  }
  printedFile_ = true;
}

void TLinePrinter::Line(const std::string& path, const TReportLine& line) {
  if (layout_.shape == TShape::Tag || layout_.shape == TShape::Csv || layout_.shape == TShape::Line)
    return SaveFormat(path, line);
  if (layout_.shape == TShape::Vimgrep) {
    // One line per match, with its column; context lines have none.
    for (const TSpan& match : line.matches) {
      Prefix(path, line, ':');
      output_.Painted(colors_.column, std::to_string(output_.Converted(line.text.substr(0, match.begin)).size() + 1));
      output_.Bytes(":");
      PaintedLine(line);
      output_.EndLine();
    }
    return;
  }
  const char separator = line.selected ? ':' : '-';
  if (layout_.onlyMatching && line.selected && !line.matches.empty()) {
    for (const TSpan& match : line.matches) {
      Prefix(path, line, separator);
      output_.Painted(colors_.match, std::string_view(line.text).substr(match.begin, match.end - match.begin));
      output_.EndLine();
    }
    return;
  }
  Prefix(path, line, separator);
  PaintedLine(line);
  output_.EndLine();
}

void TLinePrinter::Prefix(const std::string& path, const TReportLine& line, char separator) {
  const char sep[] = {separator, '\0'};
  const bool vimgrep = layout_.shape == TShape::Vimgrep;
  if (vimgrep || (layout_.withFileName && !layout_.heading)) {
    output_.Path(colors_.path, path);
    output_.Bytes(sep);
  }
  if (vimgrep || layout_.lineNumbers) {
    output_.Painted(colors_.lineNum, std::to_string(line.lineNum));
    output_.Bytes(sep);
  }
}

// The line with its matches painted when colours are on.
void TLinePrinter::PaintedLine(const TReportLine& line) {
  const std::string_view text = line.text;
  if (*colors_.match == '\0' || !line.selected) return output_.Text(text);
  size_t at = 0;
  for (const TSpan& match : line.matches) {
    output_.Text(text.substr(at, match.begin - at));
    output_.Painted(colors_.match, text.substr(match.begin, match.end - match.begin));
    at = match.end;
  }
  output_.Text(text.substr(at));
}

// The window's save formats, a row for each line (context lines too).
void TLinePrinter::SaveFormat(const std::string& path, const TReportLine& line) {
  if (layout_.shape == TShape::Tag) {
    output_.Path(colors_.path, path);
    output_.Bytes("(");
    output_.Painted(colors_.lineNum, std::to_string(line.lineNum));
    output_.Bytes("):");
  } else if (layout_.shape == TShape::Csv) {
    // The path cell keeps the file system's bytes; the others are program text.
    const TSpan first = line.matches.empty() ? TSpan{0, 0} : line.matches.front();
    output_.Bytes(ToCommaText({path}));
    output_.Bytes(",");
    output_.Text(ToCommaText({std::to_string(line.lineNum), line.text, std::to_string(first.begin + 1),
                              std::to_string(first.end - first.begin)}));
    return output_.EndLine();
  }
  PaintedLine(line);
  output_.EndLine();
}

}  // namespace tansa2::cli
