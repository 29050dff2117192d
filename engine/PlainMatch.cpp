#include "engine/PlainMatch.h"

#include <cstring>

#include "bregexp/bregexp.h"
#include "platform/CodePage.h"

namespace tansa2 {

std::optional<TPlainMatch> TPlainMatch::Of(const std::string& pattern) {
  char bytes[1024];
  const int length = BPlainLiteral(pattern.c_str(), bytes, sizeof bytes);
  if (length <= 0) return std::nullopt;
  return TPlainMatch(std::string(bytes, length));
}

namespace {

constexpr bool MayBeTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Whether a character begins at `at` as the library reads the line: a byte
// that can't be a trail byte always begins one (after a lead byte whose
// pair is broken, too); any other begins one when the lead bytes right
// before it pair up.
bool StartsCharacter(std::string_view line, size_t at) {
  if (!MayBeTrail(static_cast<unsigned char>(line[at]))) return true;
  size_t leads = 0;
  while (leads < at && platform::IsDBCSLeadByte(static_cast<unsigned char>(line[at - 1 - leads]))) ++leads;
  return leads % 2 == 0;
}

}  // namespace

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
