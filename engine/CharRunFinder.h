#pragma once
// Finds runs of characters whose bytes lie in given sets, as in a run of
// katakana (all begin with 0x83 in Shift-JIS) or of kanji followed by
// hiragana, for patterns that require such a run; in Shift-JIS, EUC-JP or
// UTF-8 bytes.
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tansa2 {

// One character of a run: for each of its bytes, the values it may take.
struct TCharPlace {
  std::vector<std::bitset<256>> bytes;
};

class TCharRunFinder {
 public:
  // `count` double-byte characters in a row, each a byte of `leads` and a
  // byte of `trails`; at least two.
  TCharRunFinder(const std::bitset<256>& leads, const std::bitset<256>& trails, int count);
  // One character of each place in turn; at least two places.
  explicit TCharRunFinder(const std::vector<TCharPlace>& places);

  // The first place at or after `from` where such a run begins, or npos.
  size_t Find(std::string_view text, size_t from) const;
  // Characters of the run, and its bytes.
  int Count() const { return count_; }
  size_t Length() const { return length_; }

 private:
  bool RunsAt(const unsigned char* data) const;
  // Find thirty-two places at a time, on processors with AVX2; `pos` ends
  // where those blocks stop fitting when nothing is found.
  size_t FindWide(const unsigned char* data, size_t last, size_t& pos) const;

  int count_ = 0;
  size_t length_ = 0;
  // For each byte value, bit k set when byte k of the run may take it.
  std::array<uint32_t, 256> byteBits_{};
  // The smallest range holding the values of a byte of the run that can't
  // take every value: a block of text is sifted by them, the narrowest
  // first, before a place is checked byte by byte.
  struct TSieve {
    unsigned char low;
    unsigned char span;
    size_t offset;  // of the byte in the run
  };
  std::vector<TSieve> sieves_;
};

}  // namespace tansa2
