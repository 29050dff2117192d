#include "engine/FileSearch.h"

#include "engine/KyConvert.h"
#include "platform/FileIO.h"

namespace tansa2 {
namespace {

// A raw file counts as text when its first 2048 bytes hold no 0x00 byte.
constexpr size_t kTextTestLength = 2048;

}  // namespace

int SearchFile(const std::string& fileName, bool autoCode, TLineMatcher& matcher,
               const TLineMatcher::TOnLine& onLine, const std::atomic<bool>& cancel) {
  if (autoCode) {
    int code = kcAuto;
    const std::string text = ConvertToSjis(platform::ReadWholeFile(fileName), code, kcSjis);
    return matcher.MatchConverted(text, onLine, cancel);
  }
  std::string text;
  try {
    text = platform::ReadWholeFile(fileName);
  } catch (const platform::EFOpenError&) {
    return 0;
  }
  if (std::string_view(text).substr(0, kTextTestLength).find('\0') != std::string_view::npos) return 0;
  return matcher.MatchRaw(text, onLine, cancel);
}

}  // namespace tansa2
