#include "engine/DigitFlankedFinder.h"

#include <gtest/gtest.h>

#include <string>

namespace tansa2 {
namespace {

TEST(DigitFlankedFinderTest, SkipsPlacesWithoutTheirDigits) {
  const TLiteralFinder dash({{"-", false}});
  const struct {
    const char* text;
    bool before;
    bool after;
    size_t from;
    size_t found;
  } cases[] = {
      {"a-b 1-2", true, true, 0, 5},
      {"1-a a-2 3-4", true, true, 0, 9},
      {"1-a", true, false, 0, 1},
      {"a-1", false, true, 0, 1},
      {"a-1", true, false, 0, std::string::npos},
      // the text's first and last bytes have nothing beyond them
      {"-1", true, true, 0, std::string::npos},
      {"1-", true, true, 0, std::string::npos},
      {"1-2", true, true, 2, std::string::npos},
      // a digit before `from` still counts
      {"1-2", true, true, 1, 1},
  };
  for (const auto& c : cases) {
    const TDigitFlankedFinder finder(dash, 1, c.before, c.after);
    EXPECT_EQ(finder.Find(c.text, c.from), c.found) << c.text;
  }
}

TEST(DigitFlankedFinderTest, GivesBackAPlaceNowAndThenInALongStretchWithoutDigits) {
  const TLiteralFinder dash({{"-", false}});
  const TDigitFlankedFinder finder(dash, 1, true, true);
  const std::string text = std::string(1 << 20, '-') + "1-2";
  const size_t found = finder.Find(text, 0);
  EXPECT_LT(found, size_t{1} << 20);
  EXPECT_EQ(text[found], '-');
}

}  // namespace
}  // namespace tansa2
