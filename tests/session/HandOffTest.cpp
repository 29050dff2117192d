#include "session/HandOff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using Parameters = std::vector<std::string>;

std::optional<THandOffFields> RoundTrip(const Parameters& parameters) {
  return ReadHandOff(HandOffData(parameters));
}

TEST(HandOffTest, TheItemCountDecidesWhichFieldsAreWritten) {
  struct TCase {
    Parameters parameters;
    std::optional<THandOffFields> fields;
  };
  const TCase cases[] = {
      {{"/src"}, THandOffFields{"/src", "", ""}},
      {{"/src", "main"}, THandOffFields{"/src", "main", ""}},
      {{"/src", "main", "*.c *.h"}, THandOffFields{"/src", "main", "*.c *.h"}},
      {{"/src", "main", "*.c", "extra"}, std::nullopt},
      {{"/src", "main", "*.c", "extra", "more"}, std::nullopt},
      {{}, std::nullopt},
  };
  for (const TCase& c : cases) {
    const std::optional<THandOffFields> fields = RoundTrip(c.parameters);
    ASSERT_EQ(fields.has_value(), c.fields.has_value()) << c.parameters.size() << " parameters";
    if (!fields) continue;
    EXPECT_EQ(fields->GrepDir, c.fields->GrepDir);
    EXPECT_EQ(fields->GrepStr, c.fields->GrepStr);
    EXPECT_EQ(fields->FileMask, c.fields->FileMask);
  }
}

TEST(HandOffTest, DirectoryAndMaskLoseOuterBlanksTheSearchStringKeepsThem) {
  const std::optional<THandOffFields> fields = RoundTrip({" \t/src dir \r", "  two words  ", "\t*.c *.h  "});
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->GrepDir, "/src dir");
  EXPECT_EQ(fields->GrepStr, "  two words  ");
  EXPECT_EQ(fields->FileMask, "*.c *.h");
}

TEST(HandOffTest, QuotesCommasAndDoubleByteTextSurviveTheHandOff) {
  // The shell hands such parameters over on this system; written unescaped
  // between quotes they would split or swallow the neighbouring items.
  const std::string japanese = platform::Utf8ToCp932("表示 \"ソース\"");
  const Parameters cases[] = {
      {"/src", "say \"hi\"", "*.c"},
      {"/a,b", "x,y", "*.c,*.h"},
      {"/src", "\"", "\"\""},
      {"/src", "a\",\"b", "*.c"},
      {"/src", japanese, "*.txt"},
      {"/src", "\\", "*\\"},
  };
  for (const Parameters& parameters : cases) {
    const std::optional<THandOffFields> fields = RoundTrip(parameters);
    ASSERT_TRUE(fields) << parameters[1];
    EXPECT_EQ(fields->GrepDir, parameters[0]);
    EXPECT_EQ(fields->GrepStr, parameters[1]);
    EXPECT_EQ(fields->FileMask, parameters[2]);
  }
}

TEST(HandOffTest, CopyDataIsReadUpToItsNul) {
  const std::string data = HandOffData({"/src", "main"});
  ASSERT_FALSE(data.empty());
  EXPECT_EQ(data.back(), '\0');
  EXPECT_EQ(data.find('\0'), data.size() - 1);

  // The text of every parameter quoted, as other senders write it.
  const std::optional<THandOffFields> quoted = ReadHandOff(std::string("\"/src\",\"main\",\"*.c\"\0", 20));
  ASSERT_TRUE(quoted);
  EXPECT_EQ(quoted->FileMask, "*.c");
  // Bytes after the NUL are not part of the text.
  const std::optional<THandOffFields> cut = ReadHandOff(std::string("\"/src\"\0,\"main\",\"*.c\"", 20));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->GrepDir, "/src");
  EXPECT_EQ(cut->GrepStr, "");
  // Nothing at all, or only blanks, is no item: no field changes.
  EXPECT_FALSE(ReadHandOff(std::string(1, '\0')));
  EXPECT_FALSE(ReadHandOff(""));
  EXPECT_FALSE(ReadHandOff("   "));
}

TEST(HandOffTest, ParametersSkipEmptyOnesAndTakeTheNameForm) {
  struct TCase {
    std::vector<const char*> argv;
    Parameters parameters;
  };
  const TCase cases[] = {
      {{"tansa2"}, {}},
      {{"tansa2", "", "/src"}, {"/src"}},
      {{"tansa2", "/src", "", "main", "", "*.c"}, {"/src", "main", "*.c"}},
      {{"tansa2", " ", "main"}, {" ", "main"}},
      {{"tansa2", "/ソース", "表"}, {platform::Utf8ToCp932("/ソース"), platform::Utf8ToCp932("表")}},
      {{"tansa2", "/a", "b", "c", "d"}, {"/a", "b", "c", "d"}},
      // Directory, search string and mask alike keep what CP932 lacks,
      // ready to be shown as typed.
      {{"tansa2", "/M\xC3\xBCller", "caf\xC3\xA9", "*\xF0\x9F\x98\x80.txt"},
       {platform::Cp932FormOfName("/M\xC3\xBCller"), platform::Cp932FormOfName("caf\xC3\xA9"),
        platform::Cp932FormOfName("*\xF0\x9F\x98\x80.txt")}},
      {{"tansa2", "/\x83\x5C"}, {platform::Cp932FormOfName("/\x83\x5C")}},
  };
  for (const TCase& c : cases) {
    std::vector<const char*> argv = c.argv;
    argv.push_back(nullptr);
    EXPECT_EQ(ReadParameters(static_cast<int>(c.argv.size()), argv.data()), c.parameters);
  }
}

// A relative directory is taken from the working folder of the started
// process, which is gone by the time a running instance reads it.
TEST(HandOffTest, ARelativeDirectoryIsTakenFromTheWorkingFolder) {
  const testing::TTempDir working;
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(working.Path());
  const std::string here = working.String();
  struct TCase {
    const char* directory;
    std::string expected;
  };
  const TCase cases[] = {
      {".", here},
      {"./", here},
      {"sub", here + "/sub"},
      {"sub/../other/.", here + "/other"},
      {"M\xC3\xBCller", platform::Cp932FormOfName(here + "/M\xC3\xBCller")},
      {"..", working.Path().parent_path().string()},
      {"/abs/./x", "/abs/./x"},
      {" /abs ", " /abs "},  // absolute once a hand-off has trimmed it
      {"  ", "  "},
  };
  for (const TCase& c : cases) {
    const char* argv[] = {"tansa2", c.directory, "main", nullptr};
    const std::vector<std::string> parameters = ReadParameters(3, argv);
    ASSERT_EQ(parameters.size(), 2u);
    EXPECT_EQ(parameters[0], c.expected) << c.directory;
    EXPECT_EQ(parameters[1], "main");
  }
  std::filesystem::current_path(saved);
}

}  // namespace
}  // namespace tansa2
