#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bregexp/bregexp.h"

namespace {

struct TLiteral {
  std::string bytes;
  bool caseless;
  bool operator==(const TLiteral&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TLiteral& l) {
  return out << '"' << l.bytes << '"' << (l.caseless ? " caseless" : "");
}

using TLiterals = std::vector<TLiteral>;

using TAnalysis = int (*)(const char*, char*, int, int*, int*, int);

TLiterals Literals(const char* pattern, TAnalysis analysis) {
  char bytes[64];
  int lengths[BREGEXP_MAX_LITERALS];
  int caseless[BREGEXP_MAX_LITERALS];
  const int n = analysis(pattern, bytes, sizeof bytes, lengths, caseless, BREGEXP_MAX_LITERALS);
  TLiterals literals;
  for (int k = 0, at = 0; k < n; at += lengths[k++])
    literals.push_back({std::string(bytes + at, lengths[k]), caseless[k] != 0});
  return literals;
}

TLiterals Required(const char* pattern) { return Literals(pattern, BRequiredLiterals); }
TLiterals AlsoRequired(const char* pattern) { return Literals(pattern, BAlsoRequiredLiterals); }

TEST(BRequiredLiteralTest, TakesTheLongestRunOfPlainCharacters) {
  const struct {
    const char* pattern;
    TLiterals literals;
  } cases[] = {
      {"m/abc/k", {{"abc", false}}},
      {"m/abc/ki", {{"abc", true}}},
      {"m/\x93\x8C.{0,3}[\x93\x73\x95\x7B]/k", {{"\x93\x8C", false}}},
      {"m/ab*cde/k", {{"cde", false}}},
      {"m/x+yz/k", {{"yz", false}}},
      {"m/a\\.b\\/c/k", {{"a.b/c", false}}},
      {"m/\\d+ kg/ki", {{" kg", true}}},
      // A trail byte 0x5C or 0x7C is part of its character, not an escape or a bar.
      {"m/\x95\x5C\x83\x7C/k", {{"\x95\x5C\x83\x7C", false}}},
      {"m/\x95\x5C|\x83\x7C/k", {{"\x95\x5C", false}, {"\x83\x7C", false}}},
      // Full-width letters have a case partner only under ignore case.
      {"m/\x82\x60/k", {{"\x82\x60", false}}},
      // Half-width katakana are one byte each, with no case.
      {"m/\xCC\xA7\xB2\xD9/ki", {{"\xCC\xA7\xB2\xD9", false}}},
      {"m/\xB6\xDE+/k", {{"\xB6\xDE", false}}},
      // A group with a lower bound of one or more still requires its words.
      {"m/(ab)+/k", {{"ab", false}}},
      {"m/x(?:abc|def){2}y/k", {{"abc", false}, {"def", false}}},
      {"m/xyz(ab|cd)/k", {{"xyz", false}}},
      {"m/xyz(ab|cd)?/k", {{"xyz", false}}},
      {"m/a(bc|de)|fgh/k", {{"bc", false}, {"de", false}, {"fgh", false}}},
      {"m/(a|b)(cd|)/k", {{"a", false}, {"b", false}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Required(c.pattern), c.literals) << c.pattern;
}

TEST(BRequiredLiteralTest, AlternationGivesOneWordPerBranch) {
  const struct {
    const char* pattern;
    TLiterals literals;
  } cases[] = {
      {"m/abc|de/k", {{"abc", false}, {"de", false}}},
      {"m/File|dir/ki", {{"File", true}, {"dir", true}}},
      {"m/12|ab/ki", {{"12", false}, {"ab", true}}},
      // A word holding another word of the set adds nothing; the same word twice counts once.
      {"m/abc|b|xbz/k", {{"b", false}}},
      {"m/ab|ab/k", {{"ab", false}}},
      {"m/AB|xaby/ki", {{"AB", true}}},
      // A word that must match in its case doesn't stand for one matched either way.
      {"m/ab|xABy/ki", {{"ab", true}}},
      {"m/\\(|\\)/k", {{"(", false}, {")", false}}},
      // ソ holds the byte of \ but not the character: other codes write it otherwise.
      {"m/\x83\x5C|\\\\/k", {{"\x83\x5C", false}, {"\\", false}}},
      {"m/\x83\x41|\x83\x61/ki", {{"\x83\x41", false}, {"\x83\x61", false}}},
      {"m/a\x83\x41|\x83\x41/k", {{"\x83\x41", false}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Required(c.pattern), c.literals) << c.pattern;
}

TEST(BRequiredLiteralTest, GivesNothingWhenNoRunCanBeReliedOn) {
  for (const char* pattern : {"m/(?i)abc/k", "m/\\x41/k", "m/\\Qa\\E/k", "m/a{/k", "m/.*/k", "m/[abc]/k", "m/a?/k",
                              "m/\x82\x60/ki", "m/abc", "abc", "m/abc/q", "m/\x95/k",
                              // a branch without a word, and one that may be empty
                              "m/abc|/k", "m/|abc/k", "m/abc|.+/k", "m/ab|c?/k", "m/(ab|)/k",
                              // groups that set options or look around; broken groups
                              "m/(?=ab)c/k", "m/(?<n>ab)/k", "m/(ab/k", "m/ab)/k", "m/(?i:ab)/k",
                              // more words than a search is made for
                              "m/a|b|c|d|e|f|g|h|i/k",
                              // a line break can't be in a line
                              "m/a\n|b/k"}) {
    EXPECT_EQ(Required(pattern), TLiterals{}) << pattern;
  }
}

// 都 93 73, 府 95 7B, 県 8C A7: trail bytes that are ASCII marks, inside a class too.
TEST(BRequiredLiteralTest, AClassListingDoubleByteCharactersRequiresOneOfThem) {
  const struct {
    const char* pattern;
    TLiterals literals;
  } cases[] = {
      {"m/[\x93\x73\x95\x7B\x8C\xA7]/k", {{"\x93\x73", false}, {"\x95\x7B", false}, {"\x8C\xA7", false}}},
      {"m/[\x93\x73\x93\x73]/k", {{"\x93\x73", false}}},
      {"m/x[\x93\x73\x95\x7B]{2}/ki", {{"\x93\x73", false}, {"\x95\x7B", false}}},
      // a plain run of the same length wins over a class of several
      {"m/[\x93\x73\x95\x7B]\x93\x8C/k", {{"\x93\x8C", false}}},
      // a class that may be missing, or takes more than the characters it lists
      {"m/[\x93\x73\x95\x7B]?/k", {}},
      {"m/[\x93\x73-\x95\x7B]/k", {}},
      {"m/[^\x93\x73]/k", {}},
      {"m/[a\x93\x73]/k", {}},
      {"m/[\\.\x93\x73]/k", {}},
      {"m/[\x93\x73\\d]/k", {}},
      {"m/[\\x93\\x73]/k", {}},
      {"m/[\x82\x60\x93\x73]/ki", {}},  // a full-width letter folds case
      {"m/[\x93\x73[\x95\x7B]]/k", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Required(c.pattern), c.literals) << c.pattern;
}

// Another item of the pattern's sequence, which a line holding the first
// set must hold as well to match.
TEST(BRequiredLiteralTest, GivesTheNextBestSetOfTheSequence) {
  const struct {
    const char* pattern;
    TLiterals literals;
  } cases[] = {
      {"m/\x93\x8C.{0,3}[\x93\x73\x95\x7B\x8C\xA7]/k", {{"\x93\x73", false}, {"\x95\x7B", false}, {"\x8C\xA7", false}}},
      {"m/abc.*de/k", {{"de", false}}},
      {"m/de.*abc/ki", {{"de", true}}},
      {"m/(ab)x+cd/k", {{"cd", false}}},
      {"m/ab(?:cd|ef)/k", {{"cd", false}, {"ef", false}}},
      // the next best of a group is the group's own affair
      {"m/(abc.*de)/k", {}},
      // only one set, none, a branch of an alternation, a line break
      {"m/abc/k", {}},
      {"m/.*/k", {}},
      {"m/abc.*de|x/k", {}},
      {"m/abc.*\n/k", {}},
      {"m/abc.*d?/k", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(AlsoRequired(c.pattern), c.literals) << c.pattern;
}

// A byte set as hexadecimal ranges, "81-83 88".
std::string RangesOf(const unsigned char (&set)[32]) {
  auto has = [&](unsigned byte) { return byte < 256 && (set[byte / 8] >> byte % 8 & 1) != 0; };
  std::string ranges;
  char piece[16];
  for (unsigned byte = 0; byte < 256; ++byte) {
    if (!has(byte)) continue;
    unsigned last = byte;
    while (has(last + 1)) ++last;
    std::snprintf(piece, sizeof piece, last == byte ? "%s%02X" : "%s%02X-%02X", ranges.empty() ? "" : " ", byte, last);
    ranges += piece;
    byte = last;
  }
  return ranges;
}

// A repeated class of double-byte characters: every match holds that many
// in a row, each beginning and ending with a byte the class allows, and
// begins with them when the class comes first.
TEST(BRequiredLiteralTest, FindsRunsOfDoubleByteCharacters) {
  const struct {
    const char* pattern;
    int count;
    const char* leads;
    const char* trails;
    int startsMatch;
  } cases[] = {
      {"m/[\x83\x40-\x83\x96]{8,}/k", 8, "83", "40-96", 1},
      {"m/x[\x82\x9F\x82\xA0-\x82\xF1]+[\x83\x40-\x83\x96]{3}/k", 3, "83", "40-96", 0},
      {"m/[\x82\x9F-\x82\xF1]{2}[\x83\x40-\x83\x96]{4,}/k", 4, "83", "40-96", 0},
      // listed characters, a range across lead bytes, both in one class
      {"m/[\x83\x41\x83\x43\x83\x45]{3}/k", 3, "83", "41 43 45", 1},
      {"m/[\x88\xEA-\xEA\x9E]{4}/k", 4, "88-EA", "00-FF", 1},
      {"m/[\x83\x40-\x83\x96\x88\x9F]{2}/k", 2, "83 88", "40-96 9F", 1},
      // ignoring case, as long as no character of the class folds: katakana
      // don't, full-width letters and Greek do
      {"m/[\x83\x40-\x83\x96]{3}/ki", 3, "83", "40-96", 1},
      {"m/[\x82\x60-\x82\x79]{3}/k", 3, "82", "60-79", 1},
      {"m/[\x82\x60-\x82\x79]{3}/ki", 0, "", "", 0},
      {"m/[\x83\x41\x83\x9F]{3}/ki", 0, "", "", 0},
      {"m/[\x83\x40-\x83\xBF]{3}/ki", 0, "", "", 0},
      // an anchor before the run; assertions after it look at the run at most
      {"m/^[\x83\x40-\x83\x96]{3}/k", 3, "83", "40-96", 0},
      {"m/[\x83\x40-\x83\x96]{3}\\b/k", 3, "83", "40-96", 1},
      {"m/[\x83\x40-\x83\x96]{3}$/k", 3, "83", "40-96", 1},
      // a single character, ASCII in the class, a negated class, a nested one
      {"m/[\x83\x40-\x83\x96]/k", 0, "", "", 0},
      {"m/[a\x83\x40]{3}/k", 0, "", "", 0},
      {"m/[\x83\x40-z]{3}/k", 0, "", "", 0},
      {"m/[^\x83\x40]{3}/k", 0, "", "", 0},
      {"m/[\x83\x40[\x83\x41]]{3}/k", 0, "", "", 0},
      // in a group or a branch it may not be there; no k flag
      {"m/([\x83\x40-\x83\x96]{3})/k", 0, "", "", 0},
      {"m/[\x83\x40-\x83\x96]{3}|x/k", 0, "", "", 0},
      {"m/[\x83\x40-\x83\x96]{3}/", 0, "", "", 0},
  };
  for (const auto& c : cases) {
    unsigned char leads[32];
    unsigned char trails[32];
    int startsMatch = -1;
    EXPECT_EQ(BRequiredCharRun(c.pattern, leads, trails, &startsMatch), c.count) << c.pattern;
    EXPECT_EQ(startsMatch, c.startsMatch) << c.pattern;
    EXPECT_EQ(RangesOf(leads), c.leads) << c.pattern;
    EXPECT_EQ(RangesOf(trails), c.trails) << c.pattern;
  }
}

TEST(BRequiredLiteralTest, TellsOfDigitsRightAroundTheRun) {
  const struct {
    const char* pattern;
    int flanks;  // 1: a digit before, 2: a digit after
  } cases[] = {
      {"m/\\d{3}-\\d{4}/k", 3},
      {"m/\\d{3}-\\d{4}/ki", 3},
      {"m/[0-9]+ab/k", 1},
      {"m/x-[0-9]/k", 2},
      {"m/\\d+:\\d+x/k", 3},
      // the digit may be missing, repeats of the run, or a class of more
      {"m/\\d?-\\d*/k", 0},
      {"m/\\d-+\\d/k", 1},
      {"m/\\w-[0-9a]/k", 0},
      // the best run lies elsewhere, in a group, or in a branch; no k flag
      {"m/\\dabc\\w-\\d/k", 1},
      {"m/\\d-\\w?abc/k", 0},
      {"m/(\\d-\\d)/k", 0},
      {"m/\\d-\\d|x/k", 0},
      {"m/\\d-\\d/", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(BRequiredDigitFlanks(c.pattern), c.flanks) << c.pattern;
}

}  // namespace
