#include "engine/KyGrep.h"


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
  matcher_.SetPattern(RegExp);
  const TLineMatcher::TOnLine report = [this](std::string_view line, int lineNum, int pos, int len) {
    OnMatch(*this, line, lineNum, pos, len);
    if (ProcessMessages) ProcessMessages();
    return !canceled_;
  };

  if (AutoCode) {
    int code = kcAuto;
    const std::string text = ConvertToSjis(platform::ReadWholeFile(fileName_), code, kcSjis);
    return matcher_.MatchConverted(text, report, canceled_);
  }
  // Raw mode skips files it can't open and files that aren't text.
  std::string text;
  try {
    text = platform::ReadWholeFile(fileName_);
  } catch (const platform::EFOpenError&) {
    return 0;
  }
  if (std::string_view(text).substr(0, kTextTestLength).find('\0') != std::string_view::npos) return 0;
  return matcher_.MatchRaw(text, report, canceled_);
}

}  // namespace tansa2
