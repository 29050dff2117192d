#pragma once
// A fast byte search for a literal every match of a pattern contains, so
// whole files are scanned at memory speed and the regular expression runs
// only on the lines that hold it.
#include <cstddef>
#include <string>
#include <string_view>

namespace tansa2 {

class TLiteralFinder {
 public:
  // With `asciiCaseless`, ASCII letters match either case.
  TLiteralFinder(std::string literal, bool asciiCaseless);

  // Position of the first occurrence at or after `from`, or npos.
  size_t Find(std::string_view text, size_t from) const;

 private:
  bool MatchesAt(const unsigned char* at) const;

  std::string literal_;  // folded to lower case when caseless
  bool caseless_;
  // Two bytes of the literal that are tested sixteen places at a time: the
  // first, and the last, or the rarest of the others.
  size_t probe_ = 0;
  unsigned char firstCase_ = 0;  // 0x20 when the byte is a letter matched either case
  unsigned char probeCase_ = 0;
};

}  // namespace tansa2
