#pragma once
// Finds runs of double-byte characters whose first and second bytes lie in
// given sets, as in a run of katakana (all begin with 0x83 in Shift-JIS) or
// of kanji, for patterns that require such a run.
#include <bitset>
#include <cstddef>
#include <string_view>

namespace tansa2 {

class TCharRunFinder {
 public:
  // `count` characters in a row, each a byte of `leads` and a byte of
  // `trails`; at least two.
  TCharRunFinder(const std::bitset<256>& leads, const std::bitset<256>& trails, int count);

  // The first place at or after `from` where such a run begins, or npos.
  size_t Find(std::string_view text, size_t from) const;
  int Count() const { return static_cast<int>(count_); }

 private:
  bool RunsAt(const unsigned char* data) const;

  std::bitset<256> leads_;
  std::bitset<256> trails_;
  size_t count_;
  // The smallest ranges holding the sets: a block of text is sifted by them
  // before a place is checked byte by byte.
  unsigned char leadLow_;
  unsigned char leadSpan_;
  unsigned char trailLow_;
  unsigned char trailSpan_;
};

}  // namespace tansa2
