#include "engine/DigitFlankedFinder.h"

namespace tansa2 {

namespace {

bool IsDigitAt(std::string_view text, size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; }

// A text dense with the literal but without its digits gives back a place
// after this many bytes anyway: its line is only tested for nothing, and the
// caller sees a cancel.
constexpr size_t kStretch = 1 << 16;

}  // namespace

size_t TDigitFlankedFinder::Find(std::string_view text, size_t from) const {
  for (size_t at = literal_.Find(text, from); at != std::string_view::npos; at = literal_.Find(text, at + 1)) {
    if (at - from >= kStretch) return at;
    // A literal at the very start has no digit before it.
    if (before_ && (at == 0 || !IsDigitAt(text, at - 1))) continue;
    if (after_ && !IsDigitAt(text, at + length_)) continue;
    return at;
  }
  return std::string_view::npos;
}

}  // namespace tansa2
