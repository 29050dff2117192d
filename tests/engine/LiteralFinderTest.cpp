// The finder must give every place a naive comparison gives, whichever of
// its scans runs: one literal or several, sixteen or thirty-two places at a
// time, and the bytes left over at the end.
#include "engine/LiteralFinder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tansa2 {
namespace {

using namespace std::string_literals;

bool SameByte(unsigned char a, unsigned char b, bool caseless) {
  auto fold = [](unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? c | 0x20 : c; };
  return caseless ? fold(a) == fold(b) : a == b;
}

std::vector<size_t> NaivePlaces(const std::string& text, const std::vector<TLiteral>& literals) {
  std::vector<size_t> places;
  for (size_t pos = 0; pos < text.size(); ++pos)
    for (const TLiteral& literal : literals) {
      bool fits = pos + literal.bytes.size() <= text.size();
      for (size_t i = 0; fits && i < literal.bytes.size(); ++i)
        fits = SameByte(text[pos + i], literal.bytes[i], literal.asciiCaseless);
      if (fits) {
        places.push_back(pos);
        break;
      }
    }
  return places;
}

std::vector<size_t> FoundPlaces(const std::string& text, const TLiteralFinder& finder) {
  std::vector<size_t> places;
  for (size_t at = finder.Find(text, 0); at != std::string::npos; at = finder.Find(text, at + 1))
    places.push_back(at);
  return places;
}

// Few distinct bytes, so that literals recur and share their leading bytes:
// letters of both cases, bytes that differ from them only in bit 0x20 or in
// one half, lead and trail bytes of Shift-JIS and UTF-8, and 0x00.
const std::string kAlphabet = "aAbBzZ@`[{\x01\x21\x41\x61\x81\x83\xE3\x5C\x7C\xA1\xC1\x00"s;

std::string RandomBytes(std::mt19937& random, size_t length) {
  std::string bytes;
  for (size_t i = 0; i < length; ++i) bytes += kAlphabet[random() % kAlphabet.size()];
  return bytes;
}

TEST(LiteralFinderTest, FindsEveryPlaceANaiveComparisonFinds) {
  std::mt19937 random(9122026);
  for (int round = 0; round < 3000; ++round) {
    std::vector<TLiteral> literals(1 + random() % 8);
    for (TLiteral& literal : literals) {
      literal.bytes = RandomBytes(random, 1 + random() % 8);
      literal.asciiCaseless = random() % 2 == 0;
    }
    // Texts around the block sizes, and longer ones.
    const size_t length = round % 3 == 0 ? random() % 80 : 200 + random() % 400;
    std::string text = RandomBytes(random, length);
    // Plant some literals, one at the very end.
    for (int k = 0; k < 3 && !text.empty(); ++k) {
      const std::string& bytes = literals[random() % literals.size()].bytes;
      text.replace(random() % text.size(), bytes.size(), bytes);
    }
    const std::string& last = literals.back().bytes;
    if (text.size() >= last.size()) text.replace(text.size() - last.size(), last.size(), last);
    const TLiteralFinder finder(literals);
    ASSERT_EQ(FoundPlaces(text, finder), NaivePlaces(text, literals)) << "round " << round;
  }
}

TEST(LiteralFinderTest, StartsAtTheGivenPlaceAndStopsAtTheEnd) {
  const TLiteralFinder finder({{"ab", false}, {"B", true}, {"xyz", false}});
  const std::string text = std::string(70, '-') + "ab" + std::string(40, '-') + "xyz";
  struct TCase {
    size_t from;
    size_t found;
  } cases[] = {{0, 70}, {70, 70}, {71, 71}, {72, 112}, {112, 112}, {113, std::string::npos},
               {text.size(), std::string::npos}, {text.size() + 1, std::string::npos}};
  for (const TCase& c : cases) EXPECT_EQ(finder.Find(text, c.from), c.found) << "from " << c.from;
}

// Several literals are looked for by a run of their rarest bytes, which
// lies further into one than into another: here the first literal's run
// (@[`) falls into the next block of places than the second's (bb@).
TEST(LiteralFinderTest, ALiteralWhoseRarestBytesComeLaterIsStillFoundFirst) {
  const TLiteralFinder finder({{"bbbbbbbbbb@[`", false}, {"bbbbbbbbb@", false}});
  const std::string text = std::string(22, '-') + "bbbbbbbbbb@[`" + std::string(60, '-');
  EXPECT_EQ(finder.Find(text, 0), 22u);
  EXPECT_EQ(finder.Find(text, 23), 23u);
}

}  // namespace
}  // namespace tansa2
