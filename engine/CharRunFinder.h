#pragma once
// Finds runs of double-byte characters whose first and second bytes lie in
// given sets, as in a run of katakana (all begin with 0x83 in Shift-JIS) or
// of kanji followed by hiragana, for patterns that require such a run.
#include <array>
#include <bitset>
#include <cstddef>
#include <string_view>
#include <vector>

namespace tansa2 {

// One character of a run: the bytes it may begin and end with.
struct TCharPlace {
  std::bitset<256> leads;
  std::bitset<256> trails;
};

class TCharRunFinder {
 public:
  // `count` characters in a row, each a byte of `leads` and a byte of
  // `trails`; at least two.
  TCharRunFinder(const std::bitset<256>& leads, const std::bitset<256>& trails, int count);
  // One character of each place in turn; at least two places.
  explicit TCharRunFinder(const std::vector<TCharPlace>& places);

  // The first place at or after `from` where such a run begins, or npos.
  size_t Find(std::string_view text, size_t from) const;
  int Count() const { return static_cast<int>(places_.size()); }

 private:
  bool RunsAt(const unsigned char* data) const;
  // Find thirty-two places at a time, on processors with AVX2; `pos` ends
  // where those blocks stop fitting when nothing is found.
  size_t FindWide(const unsigned char* data, size_t last, size_t& pos) const;

  // The smallest ranges holding a place's sets: a block of text is sifted by
  // them before a place is checked byte by byte.
  struct TSieve {
    unsigned char leadLow;
    unsigned char leadSpan;
    unsigned char trailLow;
    unsigned char trailSpan;
    bool anyTrail;
    size_t offset;  // of the character in the run, in bytes
  };
  std::vector<TCharPlace> places_;
  // For each byte, bit k set when place k may begin (`leadBits_`) or end
  // (`trailBits_`) with it.
  std::array<unsigned char, 256> leadBits_{};
  std::array<unsigned char, 256> trailBits_{};
  // The places' ranges, the narrowest first: most blocks fail on it.
  std::vector<TSieve> sieves_;
};

}  // namespace tansa2
