#pragma once
// A fast byte search for the literals of which every match of a pattern
// contains one, so whole files are scanned at memory speed and the regular
// expression runs only on the lines that hold one of them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tansa2 {

struct TLiteral {
  std::string bytes;
  bool asciiCaseless = false;  // ASCII letters match either case
};

class TLiteralFinder {
 public:
  // At least one literal, none empty.
  explicit TLiteralFinder(const std::vector<TLiteral>& literals);

  // Position of the first place at or after `from` where one of the
  // literals begins, or npos.
  size_t Find(std::string_view text, size_t from) const;

 private:
  struct TProbe {
    std::string literal;  // folded to lower case when caseless
    bool caseless;
    // Two places in the literal whose bytes are tested sixteen places at a
    // time: the two with the rarest bytes (the same one in a literal of one).
    size_t anchor = 0;
    size_t probe = 0;
    unsigned char anchorCase = 0;  // 0x20 when the byte is a letter matched either case
    unsigned char probeCase = 0;
    // Where the bytes the wide search of several literals looks up begin.
    size_t window = 0;

    explicit TProbe(const TLiteral& literal);
    bool MatchesAt(const unsigned char* at) const;
    // MatchesAt, after the two bytes the block searches test, which rule
    // out most places at once.
    bool FitsAt(const unsigned char* at) const;
  };
  size_t FindOne(std::string_view text, size_t from) const;
  size_t FindAny(std::string_view text, size_t from) const;
  // FindOne and FindAny thirty-two places at a time, on processors with AVX2; `pos`
  // ends where those blocks stop fitting when nothing is found.
  size_t FindOneWide(std::string_view text, size_t& pos) const;
  size_t FindAnyWide(std::string_view text, size_t& pos) const;

  std::vector<TProbe> probes_;
  // Each of the kLeadingBytes bytes of a literal's window, the rarest run
  // of that many, as a bit (the literal's index) in the entry of its low
  // and of its high four bits; a byte of any value past a literal's end. A
  // place where all six entries share a bit begins that literal's window.
  static constexpr size_t kLeadingBytes = 3;
  static constexpr size_t kTableLiterals = 8;  // bits in an entry
  struct TNibbleBits {
    unsigned char low[16] = {};
    unsigned char high[16] = {};
  };
  TNibbleBits leading_[kLeadingBytes];
  size_t widestWindow_ = 0;  // the largest window offset
  static unsigned NextPairFit(const TProbe& one, const unsigned char* data, size_t blocksEnd, size_t& pos);
  static unsigned NextLeadingFit(const TNibbleBits* leading, const unsigned char* data, size_t size, size_t& pos,
                                 unsigned char* literalsAt);
  size_t shortest_ = 0;
  size_t longest_ = 0;
};

}  // namespace tansa2
