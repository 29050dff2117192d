#pragma once
// Reads a pattern body for a run of plain characters that every match must
// contain, so a caller can find candidate places with a byte search first.
#include <string>
#include <string_view>

namespace bregexp {

struct RequiredLiteral {
  std::string bytes;           // empty: the pattern has none we can rely on
  bool asciiCaseless = false;  // ASCII letters match either case
};

RequiredLiteral FindRequiredLiteral(std::string_view body, bool sjis, bool ignoreCase);

}  // namespace bregexp
