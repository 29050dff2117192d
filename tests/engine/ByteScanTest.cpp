// The block scans must agree with a byte-by-byte reading everywhere: at
// block edges, at the end of the text, and for CR LF split across blocks.
#include "engine/ByteScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tansa2 {
namespace {

// Texts made mostly of the bytes the scans look for, of every length
// around the block size.
std::string RandomText(std::mt19937& random, size_t size, std::string_view alphabet) {
  std::string text(size, ' ');
  for (char& c : text) c = alphabet[random() % alphabet.size()];
  return text;
}

unsigned Unit(std::string_view text, size_t at, bool bigEndian) {
  const auto a = static_cast<unsigned char>(text[at]);
  const auto b = static_cast<unsigned char>(text[at + 1]);
  return bigEndian ? a << 8 | b : b << 8 | a;
}

TEST(ByteScanTest, ByteBreaksAgreeWithOneByteAtATime) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    // Now and then longer than the blocks a count adds up before it sums them.
    const size_t size = round % 20 == 0 ? random() % 20000 : random() % 80;
    const std::string text = RandomText(random, size, "\r\nab\x8d\x0a\x0d");
    const size_t from = text.empty() ? 0 : random() % (text.size() + 1);
    const size_t to = from + (text.size() > from ? random() % (text.size() - from + 1) : 0);
    size_t breaks = 0;
    size_t lfs = 0;
    for (size_t i = from; i < to; ++i) {
      lfs += text[i] == '\n';
      breaks += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    }
    const size_t first = text.find_first_of("\r\n", from);
    SCOPED_TRACE(testing::Message() << "round " << round);
    EXPECT_EQ(CountCrOrLfBreaks(text, from, to), breaks);
    EXPECT_EQ(CountLf(text, from, to), lfs);
    EXPECT_EQ(FindCrOrLf(text, from), first == std::string::npos ? text.size() : first);
  }
}

TEST(ByteScanTest, Utf16BreaksAgreeWithOneUnitAtATime) {
  std::mt19937 random(11);
  for (const bool bigEndian : {false, true}) {
    for (int round = 0; round < 3000; ++round) {
      // Units CR, LF, and units that hold 0x0A or 0x0D in the other byte.
      std::string text;
      for (size_t units = random() % 40; units > 0; --units) {
        static constexpr unsigned kUnits[] = {0x000A, 0x000D, 0x0A0D, 0x0D0A, 0x3042, 0x0A00, 0x0041};
        const unsigned unit = kUnits[random() % std::size(kUnits)];
        const char hi = static_cast<char>(unit >> 8);
        const char lo = static_cast<char>(unit & 0xFF);
        text += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
      }
      const size_t from = text.empty() ? 0 : 2 * (random() % (text.size() / 2 + 1));
      const size_t to = from + 2 * (random() % ((text.size() - from) / 2 + 1));
      size_t breaks = 0;
      for (size_t i = from; i < to; i += 2) {
        const unsigned unit = Unit(text, i, bigEndian);
        breaks += unit == '\n' ||
                  (unit == '\r' && (i + 2 == text.size() || Unit(text, i + 2, bigEndian) != '\n'));
      }
      size_t first = text.size();
      for (size_t i = from; i < text.size(); i += 2)
        if (const unsigned unit = Unit(text, i, bigEndian); unit == '\n' || unit == '\r') {
          first = i;
          break;
        }
      SCOPED_TRACE(testing::Message() << (bigEndian ? "BE" : "LE") << " round " << round);
      EXPECT_EQ(CountUtf16Breaks(text, from, to, bigEndian), breaks);
      EXPECT_EQ(FindUtf16Break(text, from, bigEndian), first);
    }
  }
}

}  // namespace
}  // namespace tansa2
