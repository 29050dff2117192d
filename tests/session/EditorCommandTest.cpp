#include "session/EditorCommand.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/ProcessArguments.h"

namespace tansa2 {
namespace {

TEST(EditorCommandTest, KeywordsAreFilledWithTheirQuoting) {
  const struct {
    const char* cmdLine;
    const char* fileName;
    int lineNum;
    const char* matched;
    const char* expected;
  } cases[] = {
      {"/j%L %F", "/home/u/Program Files/a.txt", 12, "x", "/j12 \"/home/u/Program Files/a.txt\""},
      {"/j%L %F", "/home/u/a.txt", 12, "x", "/j12 /home/u/a.txt"},
      {"%F/%L/%S", "/a.txt", 3, "say \"hi\"", "/a.txt/3/\"say \"\"hi\"\"\""},
      {"%f %l %s", "/a.txt", 5, "m", "/a.txt 5 \"m\""},
      {"%L:%L", "/a.txt", 1234567, "m", "1234567:1234567"},
      {"-n", "/a.txt", 1, "m", "-n"},
      {"", "/a.txt", 1, "m", ""},
      // Text put in is never read for keywords again.
      {"%F %L", "/d/a%Lb%s.txt", 7, "m", "/d/a%Lb%s.txt 7"},
      {"%S %F", "/a.txt", 2, "%F%L", "\"%F%L\" /a.txt"},
      // Not a keyword: kept as it stands.
      {"%x %% 100%", "/a.txt", 1, "m", "%x %% 100%"},
      {"%%F", "/a.txt", 1, "m", "%/a.txt"},
      // A quote in a name without blanks would otherwise open a quoted stretch.
      {"%F", "/d/a\"b.txt", 1, "m", "\"/d/a\"\"b.txt\""},
      {"%F", "/d/a\tb.txt", 1, "m", "\"/d/a\tb.txt\""},
      {"%S", "/a.txt", 1, "", "\"\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FillEditorCommand(c.cmdLine, c.fileName, c.lineNum, c.matched), c.expected) << c.cmdLine;
}

TEST(EditorCommandTest, DoubleByteTextKeepsItsBytes) {
  // 表 is 95 5C and ソ is 83 5C in CP932: trail bytes that look like ASCII.
  const std::string name = platform::Utf8ToCp932("/d/表 ソ.txt");
  const std::string matched = platform::Utf8ToCp932("表示");
  EXPECT_EQ(FillEditorCommand("%F %S", name, 1, matched), "\"" + name + "\" \"" + matched + "\"");
}

TEST(EditorCommandTest, SplittingGivesBackTheExactNameAndText) {
  const char* names[] = {"/plain.txt", "/with blank/a b.txt", "/quote\"d.txt", "/q \"x\" y.txt",
                         "/end\\", "/end blank\\", "/a%L%F%s.txt", "/tab\there.txt"};
  const char* texts[] = {"", "x", "\"", "a \"b\" c", "\"\"", "%F %L"};
  for (const char* name : names) {
    for (const char* text : texts) {
      const std::vector<std::string> args =
          platform::SplitArguments(FillEditorCommand("-n%L %F %S", name, 42, text));
      EXPECT_EQ(args, (std::vector<std::string>{"-n42", name, text})) << name << " | " << text;
    }
  }
}

TEST(EditorCommandTest, MatchedTextIsCutToTheLine) {
  const struct {
    int pos, len;
    const char* expected;
  } cases[] = {
      {1, 3, "abc"}, {2, 3, "bcd"}, {5, 9, "ef"}, {6, 1, "f"}, {3, 0, ""},
      {0, 2, ""},    {-1, -1, ""},  {7, 1, ""},   {2, -1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchedText("abcdef", c.pos, c.len), c.expected) << c.pos << "," << c.len;
}

}  // namespace
}  // namespace tansa2
