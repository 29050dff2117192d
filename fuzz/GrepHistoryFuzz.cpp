// The result history's files when damaged: parameters read are written
// as a text that reads back the same, and result rows load without harm.
#include "fuzz/FuzzInput.h"
#include "results/QuietAbort.h"
#include "session/GrepHistory.h"

using namespace tansa2;

namespace {

bool operator==(const TGrepParam& a, const TGrepParam& b) {
  return a.GrepStr == b.GrepStr && a.GrepDir == b.GrepDir && a.FileMask == b.FileMask && a.SubDir == b.SubDir &&
         a.DirMask == b.DirMask && a.MatchCase == b.MatchCase && a.NoRegExp == b.NoRegExp &&
         a.AutoCode == b.AutoCode;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  if (const auto param = ParseGrepParam(input)) {
    const auto again = ParseGrepParam(GrepParamText(*param));
    fuzz::Check(again.has_value() && *again == *param);
  }

  TGrepResultRows rows;
  try {
    rows.LoadFromFile(fuzz::ScratchFile(input));
  } catch (const EQuietAbort&) {
    return 0;
  }
  for (int i = 0; i < rows.DataCount(); ++i) {
    rows.LineNum(i);
    rows.MatchPos(i);
    rows.MatchLen(i);
  }
  return 0;
}
