#include "engine/CharRunFinder.h"

#include <gtest/gtest.h>

#include <string>

namespace tansa2 {
namespace {

std::bitset<256> Bytes(std::string_view members) {
  std::bitset<256> set;
  for (const char c : members) set.set(static_cast<unsigned char>(c));
  return set;
}

// Katakana ア (83 41) and イ (83 43), and kanji of lead byte 88; 85 lies
// between the lead bytes without being one of them, 42 between the trails.
TEST(CharRunFinderTest, FindsTheFirstRunOfCharactersFromTheSets) {
  const TCharRunFinder finder(Bytes("\x83\x88"), Bytes("\x41\x43"), 2);
  const std::string filler(40, 'a');
  const struct {
    std::string text;
    size_t from;
    size_t found;
  } cases[] = {
      {"\x83\x41\x83\x43", 0, 0},
      {"ab\x83\x41\x88\x43", 0, 2},
      {"\x83\x41", 0, std::string::npos},
      {"\x83\x41\x85\x43\x83\x42\x83\x43", 0, std::string::npos},
      // at the text's end, after `from`, and a run begun on a second byte
      {filler + "\x83\x41\x83\x43", 0, 40},
      {"\x83\x41\x83\x43\x83\x41", 1, 2},
      {"\x41\x83\x41\x83\x43", 0, 1},
      // the byte ranges let places through that the sets then refuse
      {filler + "\x85\x41\x85\x43\x83\x42\x83\x42\x83\x43\x88\x41" + filler, 0, 48},
      {filler + "\x83\x41\x83", 0, std::string::npos},
  };
  for (const auto& c : cases) EXPECT_EQ(finder.Find(c.text, c.from), c.found) << c.text.size();
}

// Of a longer run only the first characters are compared: enough to skip text.
TEST(CharRunFinderTest, FindsALongRunByItsFirstCharacters) {
  std::bitset<256> anyTrail;
  anyTrail.set();
  const TCharRunFinder finder(Bytes("\x83"), anyTrail, 20);
  std::string run;
  for (int k = 0; k < 8; ++k) run += "\x83\x0A";
  EXPECT_EQ(finder.Find(std::string(33, ' ') + run, 0), 33u);
  EXPECT_EQ(finder.Find(std::string(33, ' ') + run.substr(2), 0), std::string::npos);
}

// Places of different sets in turn: a kanji of lead byte 88 or 89, then
// two hiragana (82 9F-F1). The same characters in another order are no run.
TEST(CharRunFinderTest, FindsARunOfDifferentPlaces) {
  std::bitset<256> anyTrail;
  anyTrail.set();
  std::bitset<256> hiragana;
  for (unsigned trail = 0x9F; trail <= 0xF1; ++trail) hiragana.set(trail);
  const TCharRunFinder finder({TCharPlace{{Bytes("\x88\x89"), anyTrail}}, TCharPlace{{Bytes("\x82"), hiragana}},
                               TCharPlace{{Bytes("\x82"), hiragana}}});
  EXPECT_EQ(finder.Count(), 3);
  EXPECT_EQ(finder.Length(), 6u);
  const std::string kanji = "\x89\x40";
  const std::string kana = "\x82\xA0";
  const std::string filler(40, 'a');
  const struct {
    std::string text;
    size_t found;
  } cases[] = {
      {kanji + kana + kana, 0},
      {filler + kana + kanji + kana + kana + filler, 42},
      {kana + kana + kanji, std::string::npos},
      {filler + kanji + kana + "\x82\xF2" + filler, std::string::npos},  // past the hiragana
      {filler + kanji + kana + "\x83\xA0" + kanji + kana + kana, 46},
      {filler + kanji + kana + "\x82", std::string::npos},
  };
  for (const auto& c : cases) EXPECT_EQ(finder.Find(c.text, 0), c.found) << c.text.size();
}

// Characters of three bytes, as UTF-8 has them: あい is E3 81 82 E3 81 84.
TEST(CharRunFinderTest, FindsARunOfThreeByteCharacters) {
  std::bitset<256> continuation;
  for (unsigned byte = 0x80; byte <= 0xBF; ++byte) continuation.set(byte);
  const TCharPlace hiragana{{Bytes("\xE3"), Bytes("\x81\x82"), continuation}};
  const TCharRunFinder finder({hiragana, hiragana});
  EXPECT_EQ(finder.Length(), 6u);
  const std::string filler(40, 'a');
  EXPECT_EQ(finder.Find(filler + "\xE3\x81\x82\xE3\x81\x84" + filler, 0), 40u);
  EXPECT_EQ(finder.Find(filler + "\xE3\x81\x82x\xE3\x81\x84" + filler, 0), std::string::npos);
  EXPECT_EQ(finder.Find(filler + "\xE3\x81\x82\xE4\xB8\x80" + filler, 0), std::string::npos);  // 一
}

}  // namespace
}  // namespace tansa2
