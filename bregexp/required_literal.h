#pragma once
// Reads a pattern body for runs of plain characters of which every match
// must contain at least one, so a caller can find candidate places with a
// byte search first, and for whether its matches stay inside a line.
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "bregexp/bregexp.h"

namespace bregexp {

struct RequiredLiteral {
  std::string bytes;
  bool asciiCaseless = false;  // ASCII letters match either case
  bool operator==(const RequiredLiteral&) const = default;
};

// At most this many runs are given; a pattern that needs more gets none.
constexpr size_t kMaxRequiredLiterals = BREGEXP_MAX_LITERALS;

// Empty when the pattern has no set of runs we can rely on.
std::vector<RequiredLiteral> FindRequiredLiterals(std::string_view body, bool sjis, bool ignoreCase);

// A second set of runs that every match holds one of, apart from the first
// (a later word of a sequence, or a class listing a few characters, as in
// 東.{0,3}[都府県]); empty when there is none besides FindRequiredLiterals'.
std::vector<RequiredLiteral> FindAlsoRequiredLiterals(std::string_view body, bool sjis, bool ignoreCase);

// Whether every match has an ASCII digit right before and right after the
// one run FindRequiredLiterals gives, as '-' has in \d{3}-\d{4}. Neither
// unless the pattern (Shift-JIS) is one sequence whose best run is plain.
struct DigitFlanks {
  bool before = false;
  bool after = false;
  bool operator==(const DigitFlanks&) const = default;
};
DigitFlanks FindDigitFlanks(std::string_view body, bool sjis, bool ignoreCase);

// A run of double-byte characters, `count` of them in a row, that every
// match holds: a repeated class such as [ァ-ヶ]{8,} or [一-龠]{4}. Each
// character of the run begins with a byte of `leads` and ends with one of
// `trails`.
struct CharRun {
  std::bitset<256> leads;
  std::bitset<256> trails;
  int count = 0;
  // Every match begins with the run, and so does what the pattern looks at.
  bool startsMatch = false;
};
// Nothing (count 0) unless such a run is required outside any group or
// alternation, at least two long, and case is matched.
CharRun FindCharRun(std::string_view body, bool sjis, bool ignoreCase);

// Whether every match lies inside one line, whatever comes before and after
// it: no anchor, look-around or word boundary, and nothing that takes a CR,
// an LF, or a lead byte with the line break after it.
bool StaysInLine(std::string_view body, bool sjis, bool ignoreCase);

// The bytes of a Shift-JIS body that is one run of plain characters, each
// matching nothing but itself (no letter that folds case when case is
// ignored), so that its matches are exactly the places where those bytes
// begin a character. Empty for any other body.
std::string PlainLiteral(std::string_view body, bool sjis, bool ignoreCase);

}  // namespace bregexp
