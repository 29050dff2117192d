#include "session/EditorCommand.h"

namespace tansa2 {
namespace {

std::string Quoted(std::string_view text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '"') result += '"';
    result += c;
  }
  result += '"';
  return result;
}

// A name with a double quote but no blank is quoted too: unquoted, the quote
// would open a quoted stretch when the arguments are split, and the editor
// would be given another name.
std::string QuotedFileName(std::string_view fileName) {
  return fileName.find_first_of(" \t\"") == std::string_view::npos ? std::string(fileName)
                                                                   : Quoted(fileName);
}

}  // namespace

std::string MatchedText(std::string_view line, int matchPos, int matchLen) {
  if (matchPos < 1 || matchLen < 0 || static_cast<size_t>(matchPos) > line.size()) return {};
  return std::string(line.substr(static_cast<size_t>(matchPos) - 1, static_cast<size_t>(matchLen)));
}

std::string FillEditorCommand(std::string_view cmdLine, std::string_view fileName, int lineNum,
                              std::string_view matchedText) {
  std::string result;
  result.reserve(cmdLine.size() + fileName.size() + matchedText.size());
  for (size_t i = 0; i < cmdLine.size(); ++i) {
    // '%' is never part of a double-byte CP932 or UTF-8 character, so the
    // byte after it always starts a character of its own.
    const char keyword = i + 1 < cmdLine.size() && cmdLine[i] == '%' ? cmdLine[i + 1] : '\0';
    switch (keyword) {
      case 'F': case 'f': result += QuotedFileName(fileName); break;
      case 'L': case 'l': result += std::to_string(lineNum); break;
      case 'S': case 's': result += Quoted(matchedText); break;
      default: result += cmdLine[i]; continue;
    }
    ++i;
  }
  return result;
}

}  // namespace tansa2
