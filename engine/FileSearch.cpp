#include "engine/FileSearch.h"

#include "engine/KyConvert.h"
#include "platform/FileIO.h"
#include "platform/OneCallRead.h"

namespace tansa2 {
namespace {

// A raw file counts as text when its first 2048 bytes hold no 0x00 byte.
constexpr size_t kTextTestLength = 2048;

}  // namespace

std::optional<int> SearchFile(const TFileToSearch& file, bool autoCode, int code, TLineMatcher& matcher,
                              const TLineMatcher::TOnLine& onLine, const std::atomic<bool>& cancel) {
  // Each thread keeps its buffers from file to file.
  thread_local platform::TReadBuffer buffer;
  thread_local std::string converted;
  std::string_view raw;
  const platform::TOneCallRead once = platform::ReadInOneCall(file.name, buffer, file.listedSize, file.sizeLimit);
  if (once.outcome == platform::TOneCallRead::TOutcome::OverLimit) return std::nullopt;
  if (once.outcome == platform::TOneCallRead::TOutcome::Read) {
    raw = once.text;
  } else {
    platform::TReadOnlyFile opened(file.name, file.listedSize);
    if (opened.Size() >= file.sizeLimit) return std::nullopt;
    // A file is read again from its start, a pipe goes on after what was taken.
    raw = opened.ReadToEnd(buffer, opened.Size() ? 0 : once.text.size());
  }
  if (autoCode) {
    if (code == kcAuto) code = DecideCode(raw, kcSjis);
    if (const std::optional<int> count = matcher.MatchEncoded(raw, code, onLine, cancel)) return *count;
    return matcher.MatchConverted(DecodeToSjis(raw, code, kcSjis, converted), onLine, cancel);
  }
  if (raw.substr(0, kTextTestLength).find('\0') != std::string_view::npos) return 0;
  return matcher.MatchRaw(raw, onLine, cancel);
}

}  // namespace tansa2
