#include <gtest/gtest.h>

#include <string>

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

TLiteral Required(const char* pattern) {
  char buffer[64];
  int caseless = 0;
  const int n = BRequiredLiteral(pattern, buffer, sizeof buffer, &caseless);
  return {std::string(buffer, n > 0 ? n : 0), n > 0 && caseless != 0};
}

TEST(BRequiredLiteralTest, TakesTheLongestRunOfPlainCharacters) {
  EXPECT_EQ(Required("m/abc/k"), (TLiteral{"abc", false}));
  EXPECT_EQ(Required("m/abc/ki"), (TLiteral{"abc", true}));
  EXPECT_EQ(Required("m/\x93\x8C.{0,3}[\x93\x73\x95\x7B]/k"), (TLiteral{"\x93\x8C", false}));
  EXPECT_EQ(Required("m/ab*cde/k"), (TLiteral{"cde", false}));
  EXPECT_EQ(Required("m/x+yz/k"), (TLiteral{"yz", false}));
  EXPECT_EQ(Required("m/a\\.b\\/c/k"), (TLiteral{"a.b/c", false}));
  EXPECT_EQ(Required("m/\\d+ kg/ki"), (TLiteral{" kg", true}));
  // A trail byte 0x5C or 0x7C is part of its character.
  EXPECT_EQ(Required("m/\x95\x5C\x83\x7C/k"), (TLiteral{"\x95\x5C\x83\x7C", false}));
}

TEST(BRequiredLiteralTest, GivesNothingWhenNoRunCanBeReliedOn) {
  for (const char* pattern : {"m/a|b/k", "m/(ab)/k", "m/(?i)abc/k", "m/\\x41/k", "m/\\Qa\\E/k",
                              "m/a{/k", "m/.*/k", "m/[abc]/k", "m/a?/k", "m/\x82\x60/ki",
                              "m/abc", "abc", "m/abc/q", "m/\x95/k"}) {
    EXPECT_EQ(Required(pattern).bytes, "") << pattern;
  }
  // Full-width letters have a case partner only under ignore case.
  EXPECT_EQ(Required("m/\x82\x60/k"), (TLiteral{"\x82\x60", false}));
}

}  // namespace
