#include "engine/DigitFlankedFinder.h"

namespace tansa2 {

namespace {

bool IsDigitAt(std::string_view text, size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; }

}  // namespace

size_t TDigitFlankedFinder::Find(std::string_view text, size_t from) const {
  for (size_t at = literal_.Find(text, from); at != std::string_view::npos; at = literal_.Find(text, at + 1)) {
    // A literal at the very start has no digit before it.
    if (before_ && (at == 0 || !IsDigitAt(text, at - 1))) continue;
    if (after_ && !IsDigitAt(text, at + length_)) continue;
    return at;
  }
  return std::string_view::npos;
}

}  // namespace tansa2
