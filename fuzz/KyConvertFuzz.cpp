// Code detection and the converters on any bytes: nothing reads past the
// text, the converters into kept room give what the plain ones give, and
// a clean EUC-JP or JIS text comes back whole from Shift-JIS, and the UTF-8
// check, block by block, agrees with a walk over the well-formed sequences.
#include "engine/KyConvert.h"
#include "engine/Utf8Check.h"
#include "fuzz/FuzzInput.h"

using namespace tansa2;

namespace {

// The well-formed UTF-8 sequences beyond ASCII as Unicode tabulates them:
// lead bytes, the range of the second byte; later bytes are 80-BF.
struct TUtf8Row {
  unsigned char leadLow, leadHigh, low, high;
  size_t length;
};
constexpr TUtf8Row kUtf8Rows[] = {
    {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3}, {0xE1, 0xEC, 0x80, 0xBF, 3},
    {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
    {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
};

bool PlainUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  bool beyondAscii = false;
  size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    const TUtf8Row* row = nullptr;
    for (const TUtf8Row& r : kUtf8Rows)
      if (p[i] >= r.leadLow && p[i] <= r.leadHigh) row = &r;
    if (!row) return false;
    for (size_t k = 1; k < row->length; ++k) {
      if (i + k == n) return beyondAscii;  // cut off by the end
      const unsigned char low = k == 1 ? row->low : 0x80;
      const unsigned char high = k == 1 ? row->high : 0xBF;
      if (p[i + k] < low || p[i + k] > high) return false;
    }
    beyondAscii = true;
    i += row->length;
  }
  return beyondAscii;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  bool hasBom = false;
  IsUtf8(text, hasBom);
  fuzz::Check(IsWellFormedUtf8(text) == PlainUtf8(text));
  DetectCode(text);
  for (int defaultCode : {int(kcAuto), int(kcSjis), int(kcEuc)}) {
    int code = kcAuto;
    std::string converted;
    const std::string_view viewed = DecodeToSjis(text, code, defaultCode, converted);
    int sameCode = kcAuto;
    fuzz::Check(ConvertToSjis(text, sameCode, defaultCode) == viewed);
    // Plain ASCII and binary bytes are taken as they are, as Shift-JIS.
    const int decided = DecideCode(text, defaultCode);
    fuzz::Check(sameCode == code && (decided == code || (code == kcSjis && decided <= kcBinary)));
  }
  for (int from : {int(kcJis), int(kcEuc), int(kcSjis)}) {
    for (int to : {int(kcJis), int(kcEuc), int(kcSjis)}) ConvertCode(text, from, to);
  }
  SjisToJis(text);
  EucToJis(text);
  JisToEuc(text);
  SjisToEuc(text);

  static std::string room;  // kept from input to input, as a search keeps it
  const size_t jisLength = JisToSjis(text, room);
  fuzz::Check(std::string_view(room.data(), jisLength) == JisToSjis(text));
  const size_t eucLength = EucToSjis(text, room);
  const std::string fromEuc = EucToSjis(text);
  fuzz::Check(std::string_view(room.data(), eucLength) == fromEuc);

  if (text.find('\0') == std::string_view::npos) {
    if (IsCleanEuc(text)) fuzz::Check(SjisToEuc(fromEuc) == text);
  }
  IsCleanJis(text);

  TStrings lines;
  SplitTextLines(text, lines);
  return 0;
}
