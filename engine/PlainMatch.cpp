#include "engine/PlainMatch.h"

#include <cstring>

#include "bregexp/bregexp.h"
#include "engine/CharacterStart.h"

namespace tansa2 {

std::optional<TPlainMatch> TPlainMatch::Of(const std::string& pattern) {
  char bytes[1024];
  const int length = BPlainLiteral(pattern.c_str(), bytes, sizeof bytes);
  if (length <= 0) return std::nullopt;
  return TPlainMatch(std::string(bytes, length));
}

size_t TPlainMatch::Find(std::string_view line) const {
  for (size_t from = 0; from + bytes_.size() <= line.size();) {
    const void* hit = memmem(line.data() + from, line.size() - from, bytes_.data(), bytes_.size());
    if (!hit) break;
    const size_t at = static_cast<const char*>(hit) - line.data();
    if (StartsCharacter(line, at)) return at;
    from = at + 1;
  }
  return std::string_view::npos;
}

}  // namespace tansa2
