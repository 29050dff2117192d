#include "cli/FileLines.h"

#include "engine/KyConvert.h"
#include "platform/FileIO.h"

namespace tansa2::cli {
namespace {

// A raw file counts as text when its first 2048 bytes hold no 0x00 byte.
constexpr size_t kTextTestLength = 2048;

// Lines end at LF or CR LF; a lone CR is dropped from its line; a line
// that begins with 0x1A ends the text.
std::vector<std::string> SplitRaw(std::string_view text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size() && text[at] != '\x1a') {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string line;
    for (size_t i = at; i < end; ++i)
      if (text[i] != '\r') line += text[i];
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<std::string> ReadFileLines(const std::string& enginePath, bool raw, int code) {
  if (raw) {
    const std::string bytes = platform::ReadWholeFile(enginePath);
    if (std::string_view(bytes).substr(0, kTextTestLength).find('\0') != std::string_view::npos) return {};
    return SplitRaw(bytes);
  }
  std::vector<std::string> lines;
  LoadTextFile(lines, enginePath, code, kcSjis);
  return lines;
}

}  // namespace tansa2::cli
