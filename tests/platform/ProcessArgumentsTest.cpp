#include "platform/ProcessArguments.h"

#include <gtest/gtest.h>

namespace tansa2::platform {
namespace {

using Args = std::vector<std::string>;

TEST(SplitArgumentsTest, BlanksSeparateAndQuotesKeepTheirBlanks) {
  const struct {
    const char* text;
    Args expected;
  } cases[] = {
      {"", {}},
      {"  \t ", {}},
      {"/j12 /tmp/a.txt", {"/j12", "/tmp/a.txt"}},
      {"  a \t b  ", {"a", "b"}},
      {"/j12 \"/tmp/Program Files/a.txt\"", {"/j12", "/tmp/Program Files/a.txt"}},
      // Two quotes inside a quoted stretch are one quote.
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"\"\"\"", {"\""}},
      // A quoted stretch is part of the argument around it.
      {"-g \"/a b/c.txt\":12", {"-g", "/a b/c.txt:12"}},
      {"pre\"fix post\"fix", {"prefix postfix"}},
      // An empty quoted argument is still an argument.
      {"a \"\" b", {"a", "", "b"}},
      // Backslashes are plain characters, also before a quote.
      {"\"C:\\dir \\\" x", {"C:\\dir \\", "x"}},
      // An unclosed quote runs to the end.
      {"a \"b c", {"a", "b c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitArguments(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace tansa2::platform
