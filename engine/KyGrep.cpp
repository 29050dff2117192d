#include "engine/KyGrep.h"

#include <algorithm>

#include "engine/KyConvert.h"
#include "platform/FileIO.h"

namespace tansa2 {
namespace {

// A raw file counts as text when its first 2048 bytes hold no 0x00 byte.
constexpr size_t kTextTestLength = 2048;

}  // namespace

int TKyGrep::GrepFile(const std::string& FileName) {
  if (!OnMatch) return 0;
  fileName_ = FileName;
  canceled_ = false;
  return AutoCode ? GrepConverted() : GrepRaw();
}

bool TKyGrep::Report(std::string_view line, int lineNum) {
  if (regExp_.Match(RegExp, line) <= 0) return false;
  OnMatch(*this, line, lineNum, regExp_.MatchPos(), regExp_.MatchLen());
  if (ProcessMessages) ProcessMessages();
  return true;
}

// Raw lines are the file's own bytes: a line ends at LF or CR LF, a lone CR
// is dropped from the text, and a line that would begin with 0x1A ends the
// file.
int TKyGrep::GrepRaw() {
  std::string text;
  try {
    platform::TReadOnlyFile file(fileName_);
    text = file.ReadToEnd();
  } catch (const platform::EFOpenError&) {
    return 0;
  }
  const std::string_view head(text.data(), std::min(text.size(), kTextTestLength));
  if (head.find('\0') != std::string_view::npos) return 0;

  int count = 0;
  int lineNum = 0;
  std::string withoutCr;
  size_t pos = 0;
  while (pos < text.size() && !canceled_ && text[pos] != '\x1A') {
    size_t end = text.find('\n', pos);
    const size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\r') != std::string_view::npos) {
      withoutCr.assign(line);
      std::erase(withoutCr, '\r');
      line = withoutCr;
    }
    ++lineNum;
    if (Report(line, lineNum)) ++count;
    pos = next;
  }
  return count;
}

int TKyGrep::GrepConverted() {
  int code = kcAuto;
  const std::string text = ConvertToSjis(platform::ReadWholeFile(fileName_), code, kcSjis);
  int count = 0;
  int lineNum = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    ++lineNum;
    if (Report(std::string_view(text.data() + pos, end - pos), lineNum)) ++count;
    if (canceled_) break;
    const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
    pos = end + (crLf ? 2 : 1);
  }
  return count;
}

}  // namespace tansa2
