#pragma once
// A fast byte search for a literal every match of a pattern contains, so
// whole files are scanned at memory speed and the regular expression runs
// only on the lines that hold it.
#include <array>
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
  std::string literal_;  // folded to lower case when caseless
  bool caseless_;
  std::array<unsigned char, 256> skip_{};
};

}  // namespace tansa2
