// Search strings turned into patterns for the regular-expression library:
// a plain-text search for a line finds that line whole, and a regular
// expression of any bytes gives a match or an error, never a crash.
#include "engine/BRegExp.h"
#include "fuzz/FuzzInput.h"
#include "session/GrepRun.h"

using namespace tansa2;

namespace {

// Whole Shift-JIS characters only: a lead byte with a trail byte after it.
bool IsWellFormedSjis(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = text[i];
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      if (++i == text.size()) return false;
      const unsigned char t = text[i];
      if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  TBRegExp regExp;
  TGrepParam param;
  param.GrepStr = input;
  param.MatchCase = true;
  try {
    regExp.Match(GrepPattern(param), input);
  } catch (const EBRegExpError&) {
  }

  param.NoRegExp = true;
  if (input.empty() || input.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos ||
      !IsWellFormedSjis(input)) {
    return 0;
  }
  fuzz::Check(regExp.Match(GrepPattern(param), input) > 0);
  fuzz::Check(regExp.MatchPos() == 1 && size_t(regExp.MatchLen()) == input.size());
  return 0;
}
