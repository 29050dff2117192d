// Code detection and the converters on any bytes: nothing reads past the
// text, the converters into kept room give what the plain ones give, and
// a clean EUC-JP or JIS text comes back whole from Shift-JIS.
#include "engine/KyConvert.h"
#include "fuzz/FuzzInput.h"

using namespace tansa2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  bool hasBom = false;
  IsUtf8(text, hasBom);
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
