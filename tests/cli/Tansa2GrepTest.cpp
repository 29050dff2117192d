// Runs the built tansa2-grep on real trees and reads what it prints.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/SpecialFiles.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Iconv(const std::string& text, const char* to) {
  iconv_t cd = iconv_open(to, "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to;
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1)) << to;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);  // back to ASCII at the end
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct TResult {
  int status;
  std::string out;
  std::string err;
};

class Tansa2GrepTest : public ::testing::Test {
 protected:
  // Runs the tool in `cwd`, behind `prefix` (a program that runs it, such as
  // one that drops privileges).
  TResult Run(const std::vector<std::string>& args, const std::string& cwd = "",
              const std::string& prefix = "") {
    std::string command = (cwd.empty() ? "" : "cd '" + cwd + "' && ") + "timeout 120 " + prefix +
                          std::string(TANSA2_GREP_PROGRAM);
    for (const std::string& arg : args) {
      std::string quoted = "'";
      for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
      command += " " + quoted + "'";
    }
    const fs::path out = scratch_.Path() / "out";
    const fs::path err = scratch_.Path() / "err";
    command += " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  }

  testing::TTempDir scratch_;
  testing::TTempDir tree_;
};

// The sample text written in every encoding the detection knows.
class EncodingTreeTest : public Tansa2GrepTest {
 protected:
  void SetUp() override {
    text_ = ReadFile(fs::path(TANSA2_TEST_DATA) / "cli" / "sample-ja.txt");
    lines_ = SplitLines(text_);
    const std::string crlf = [&] {
      std::string out;
      for (const std::string& line : lines_) out += line + "\r\n";
      return out;
    }();
    tree_.Write("sjis.txt", Iconv(text_, "CP932"));
    tree_.Write("a/euc.txt", Iconv(text_, "EUC-JP"));
    tree_.Write("a/jis.txt", Iconv(text_, "ISO-2022-JP"));
    tree_.Write("a/b/utf8.txt", text_);
    tree_.Write("a/b/utf8bom.txt", "\xEF\xBB\xBF" + crlf);
    tree_.Write("c/utf16le.txt", "\xFF\xFE" + Iconv(crlf, "UTF-16LE"));
    tree_.Write("c/utf16be.txt", "\xFE\xFF" + Iconv(crlf, "UTF-16BE"));
    tree_.Write("ascii.txt", "Tokyo\nTokyo Station\n");
  }

  // "file:line" of every line of the sample holding `word`.
  std::set<std::string> Expected(const std::string& file, const std::string& word) const {
    std::set<std::string> expected;
    for (size_t i = 0; i < lines_.size(); ++i)
      if (lines_[i].find(word) != std::string::npos) expected.insert(file + ":" + std::to_string(i + 1));
    return expected;
  }

  // Tag lines "path(line):text" back to "file:line", checking the text.
  std::map<std::string, std::set<std::string>> Hits(const std::string& out, const std::string& word) {
    std::map<std::string, std::set<std::string>> hits;
    for (const std::string& line : SplitLines(out)) {
      const size_t open = line.find('(');
      const size_t close = line.find("):", open);
      EXPECT_NE(close, std::string::npos) << line;
      if (close == std::string::npos) continue;
      const std::string file = fs::path(line.substr(0, open)).lexically_relative(tree_.Path()).string();
      EXPECT_NE(line.find(word, close), std::string::npos) << line;
      hits[file].insert(file + ":" + line.substr(open + 1, close - open - 1));
    }
    return hits;
  }

  std::string text_;
  std::vector<std::string> lines_;
};

TEST_F(EncodingTreeTest, DetectionFindsTheSameLinesInEveryEncoding) {
  for (const std::string word : {"東京", "表/裏", "ソフト", "能登"}) {
    const TResult result = Run({"-r", "-a", "-c", "-F", word, tree_.String()});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto hits = Hits(result.out, word);
    for (const std::string file : {"sjis.txt", "a/euc.txt", "a/jis.txt", "a/b/utf8.txt",
                                   "a/b/utf8bom.txt", "c/utf16le.txt", "c/utf16be.txt"}) {
      const auto it = hits.find(file);
      EXPECT_EQ(it == hits.end() ? std::set<std::string>() : it->second, Expected(file, word))
          << word << " in " << file;
    }
    EXPECT_EQ(hits.count("ascii.txt"), 0u);
  }
}

TEST_F(EncodingTreeTest, RawModeMatchesOnlyShiftJisAndAscii) {
  auto filesHolding = [&](const std::string& word) {
    const TResult result = Run({"-r", "-c", "-F", word, tree_.String()});
    EXPECT_EQ(result.status, 0) << result.err;
    std::set<std::string> files;
    for (const auto& [file, lines] : Hits(result.out, word)) files.insert(file);
    return files;
  };
  EXPECT_EQ(filesHolding("東京"), (std::set<std::string>{"sjis.txt"}));
  // ASCII text reads the same in every code but UTF-16.
  EXPECT_EQ(filesHolding("Tokyo Station"),
            (std::set<std::string>{"sjis.txt", "a/euc.txt", "a/jis.txt", "a/b/utf8.txt",
                                   "a/b/utf8bom.txt", "ascii.txt"}));
}

TEST_F(EncodingTreeTest, CaseIsIgnoredUnlessAskedFor) {
  const TResult ignored = Run({"-r", "-a", "-F", "tokyo", tree_.String(), "utf8.txt"});
  EXPECT_EQ(ignored.status, 0);
  EXPECT_EQ(SplitLines(ignored.out).size(), 1u);
  EXPECT_EQ(Run({"-r", "-a", "-c", "-F", "tokyo", tree_.String(), "utf8.txt"}).status, 1);
}

TEST_F(EncodingTreeTest, RegularExpressionsAndTheThreeFormats) {
  const TResult tag = Run({"-a", "-c", "東京.{0,3}[都府]", tree_.String(), "sjis.txt"});
  ASSERT_EQ(tag.status, 0) << tag.err;
  EXPECT_EQ(tag.out, tree_.String() + "/sjis.txt(16):" + lines_[15] + "\n");
  const TResult csv = Run({"--format=csv", "-a", "-c", "東京都", tree_.String(), "sjis.txt"});
  // The match starts at byte 19 of the Shift-JIS line and is 6 bytes long.
  EXPECT_EQ(csv.out, tree_.String() + "/sjis.txt,16," + lines_[15] + ",19,6\n");
  const TResult line = Run({"--format=line", "-a", "-c", "東京都", tree_.String(), "sjis.txt"});
  EXPECT_EQ(line.out, lines_[15] + "\n");
  const TResult sjis = Run({"--format=line", "--encoding=sjis", "-a", "-c", "東京都", tree_.String(), "sjis.txt"});
  EXPECT_EQ(sjis.out, Iconv(lines_[15], "CP932") + "\n");
}

TEST_F(EncodingTreeTest, SummaryGoesToStandardError) {
  const TResult result = Run({"--summary", "-r", "-a", "-c", "-F", "能登", tree_.String()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err.rfind("7個検索しました。(Elapsed time 0:", 0), 0u) << result.err;
}

TEST_F(EncodingTreeTest, FiltersAndMasks) {
  EXPECT_EQ(SplitLines(Run({"-r", "-a", "-F", "能登", tree_.String(), "*.txt", "--exclude-ext=TXT"}).out).size(), 0u);
  EXPECT_EQ(SplitLines(Run({"-r", "-a", "-F", "能登", tree_.String(), "--dir-mask=a"}).out).size(), 3u);
  EXPECT_EQ(SplitLines(Run({"-a", "-F", "能登", tree_.String(), "sjis.txt utf8*"}).out).size(), 1u);
  EXPECT_EQ(Run({"-r", "-a", "-F", "能登", tree_.String(), "--max-size=0"}).status, 1);
}

TEST_F(Tansa2GrepTest, RefusedInputGetsAMessageAndStatusTwo) {
  struct TCase {
    std::vector<std::string> args;
    std::string message;
  };
  const std::string dir = tree_.String();
  for (const TCase& c : std::vector<TCase>{
           {{"", dir}, "search string is empty"},
           {{"x", dir + "/missing"}, "no such directory"},
           {{"x", dir, "  "}, "file mask is empty"},
           {{"(", dir}, "tansa2-grep: "},
           {{"x"}, "a search string and a directory are needed"},
           {{"-q", "x", dir}, "unknown option -q"},
           {{"--format=xml", "x", dir}, "unknown --format"},
           {{"--max-size=ten", "x", dir}, "invalid --max-size"},
           {{"caf\xC3\xA9", dir}, "U+00E9"},
       }) {
    tree_.Write("a.txt", "((\n");
    const TResult result = Run(c.args);
    EXPECT_EQ(result.status, 2) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n') <= 2, true) << result.err;
  }
}

TEST_F(Tansa2GrepTest, HelpAndVersion) {
  EXPECT_EQ(Run({"--help"}).status, 0);
  EXPECT_NE(Run({"--help"}).out.find("Usage: tansa2-grep"), std::string::npos);
  EXPECT_EQ(Run({"--version"}).out.rfind("tansa2-grep ", 0), 0u);
}

// Nothing in this tree may hang or crash the tool.
TEST_F(Tansa2GrepTest, HostileTreeNeitherHangsNorCrashes) {
  const fs::path root = tree_.Path();
  tree_.Write("plain.txt", "needle\n");
  const testing::TSpecialFiles specialFiles(root / "fifo.txt", root / "sock.txt");
  tree_.Write("locked/inside.txt", "needle\n");
  fs::permissions(root / "locked", fs::perms::none);
  fs::create_directory_symlink(root, root / "loop");
  fs::create_directories(root / "deep");
  fs::create_directory_symlink("..", root / "deep" / "up");
  tree_.Write("binary.bin", std::string("\x00\x01\x02needle\xFF", 10));
  tree_.Write("caf\xC3\xA9-\xF0\x9F\x98\x80.txt", "needle in a name CP932 can't hold\n");
  {
    std::string big(50 * 1024 * 1024, 'x');
    big.replace(big.size() - 6, 6, "needle");
    tree_.Write("big.txt", big);
  }

  for (const std::vector<std::string>& mode : {std::vector<std::string>{"-a"}, std::vector<std::string>{}}) {
    std::vector<std::string> args = mode;
    for (const char* a : {"-r", "--max-size=100", "-F", "needle"}) args.emplace_back(a);
    args.push_back(root.string());
    const TResult result = Run(args);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = SplitLines(result.out);
    auto count = [&](const std::string& part) {
      return std::count_if(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    EXPECT_EQ(count("/plain.txt(1):needle"), 1);
    EXPECT_EQ(count("/big.txt(1):"), 1);
    // Paths come out in the file system's own bytes.
    EXPECT_EQ(count("/caf\xC3\xA9-\xF0\x9F\x98\x80.txt(1):needle in a name"), 1) << result.out;
    // The binary file is searched up to its first NUL with detection, skipped raw.
    EXPECT_EQ(count("binary.bin"), 0);
  }
  fs::permissions(root / "locked", fs::perms::owner_all);
}

TEST_F(Tansa2GrepTest, PathsStartAsTheDirectoryWasGiven) {
  tree_.Write("t/a.txt", "hit\n");
  tree_.Write("tt/a.txt", "hit\n");
  struct TCase {
    std::string dir;
    std::string path;
  };
  for (const TCase& c : std::vector<TCase>{
           {"t", "t/a.txt"},
           {"tt", "tt/a.txt"},
           {"./t", "./t/a.txt"},
           {"t/", "t/a.txt"},
           {"tt/", "tt/a.txt"},
           {tree_.String() + "/t", tree_.String() + "/t/a.txt"},
       }) {
    const TResult result = Run({"hit", c.dir, "a.txt"}, tree_.String());
    EXPECT_EQ(result.out, c.path + "(1):hit\n") << c.dir;
  }
  EXPECT_EQ(Run({"hit", ".", "a.txt"}, (tree_.Path() / "t").string()).out, "./a.txt(1):hit\n");
}

// Reading /proc/self/mem from its start fails for every user, root too.
TEST_F(Tansa2GrepTest, AnUnreadableFileIsReportedAndTheSearchGoesOn) {
  tree_.Write("a.txt", "hit\n");
  tree_.Write("c.txt", "hit\n");
  fs::create_symlink("/proc/self/mem", tree_.Path() / "b.txt");
  const TResult result = Run({"-a", "hit", tree_.String()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, tree_.String() + "/a.txt(1):hit\n" + tree_.String() + "/c.txt(1):hit\n");
  EXPECT_EQ(result.err, "tansa2-grep: " + tree_.String() + "/b.txt: Input/output error\n");
  // No line matched, one file failed: the failure decides the status.
  EXPECT_EQ(Run({"-a", "nothing", tree_.String()}).status, 2);
  EXPECT_EQ(Run({"-a", "hit", tree_.String(), "a.txt"}).status, 0);
  // A pattern the library refuses still ends the run with one message.
  const TResult refused = Run({"-a", "(", tree_.String()});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
}

TEST_F(Tansa2GrepTest, AFileWithoutReadPermissionIsReported) {
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "root reads every file";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  tree_.Write("a.txt", "hit\n");
  tree_.Write("b.txt", "hit\n");
  fs::permissions(tree_.Path() / "a.txt", fs::perms::none);
  // Raw mode reports it too, though the window passes over it quietly.
  for (const std::vector<std::string>& options : {std::vector<std::string>{"-a"}, {}}) {
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.end(), {"hit", tree_.String()});
    const TResult result = Run(arguments, "", prefix);
    EXPECT_EQ(result.status, 2) << options.size();
    EXPECT_EQ(result.out, tree_.String() + "/b.txt(1):hit\n");
    EXPECT_EQ(result.err, "tansa2-grep: " + tree_.String() + "/a.txt: Permission denied\n");
  }
}

TEST_F(Tansa2GrepTest, FileNamesCountsAndColours) {
  tree_.Write("a.txt", "one hit\nno\nhit two\n");
  tree_.Write("b.txt", "none\n");
  tree_.Write("s/c.txt", "hit\n");
  const std::string d = tree_.String();
  const std::string magenta = "\033[35m", green = "\033[32m", red = "\033[01;31m", cyan = "\033[36m",
                    off = "\033[m";
  struct TCase {
    std::vector<std::string> options;
    std::string out;
  };
  for (const TCase& c : std::vector<TCase>{
           {{"-l"}, d + "/a.txt\n" + d + "/s/c.txt\n"},
           {{"--files-with-matches", "--color=never"}, d + "/a.txt\n" + d + "/s/c.txt\n"},
           {{"--count"}, d + "/a.txt:2\n" + d + "/b.txt:0\n" + d + "/s/c.txt:1\n"},
           // Not a terminal: auto colours nothing.
           {{"--color=auto"}, d + "/a.txt(1):one hit\n" + d + "/a.txt(3):hit two\n" + d + "/s/c.txt(1):hit\n"},
           {{"--color=always", "-l"}, magenta + d + "/a.txt" + off + "\n" + magenta + d + "/s/c.txt" + off + "\n"},
           {{"--color=always", "--count", "--dir-mask=x"},
            magenta + d + "/a.txt" + off + cyan + ":" + off + "2\n" +
            magenta + d + "/b.txt" + off + cyan + ":" + off + "0\n"},
           {{"--color=always", "--dir-mask=x"},
            magenta + d + "/a.txt" + off + cyan + "(" + off + green + "1" + off + cyan + "):" + off + "one " +
            red + "hit" + off + "\n" +
            magenta + d + "/a.txt" + off + cyan + "(" + off + green + "3" + off + cyan + "):" + off + red +
            "hit" + off + " two\n"},
           {{"--color=always", "--format=line", "--dir-mask=x"}, "one " + red + "hit" + off + "\n" + red + "hit" + off + " two\n"},
           // Comma rows are data and stay plain.
           {{"--color=always", "--format=csv", "--dir-mask=x"},
            d + "/a.txt,1,\"one hit\",5,3\n" + d + "/a.txt,3,\"hit two\",1,3\n"},
       }) {
    std::vector<std::string> args = c.options;
    for (const std::string& a : {std::string("-r"), std::string("-a"), std::string("hit"), d})
      args.push_back(a);
    const TResult result = Run(args);
    EXPECT_EQ(result.status, 0) << ::testing::PrintToString(c.options) << result.err;
    EXPECT_EQ(result.out, c.out) << ::testing::PrintToString(c.options);
  }
  EXPECT_EQ(Run({"-r", "-l", "nothing", d}).status, 1);
  EXPECT_EQ(Run({"-r", "--count", "nothing", d}).out, d + "/a.txt:0\n" + d + "/b.txt:0\n" + d + "/s/c.txt:0\n");
}

// Output goes out in large writes: rows that fill the buffer many times
// over, and a line longer than the whole buffer, arrive whole and in order.
TEST_F(Tansa2GrepTest, LongOutputArrivesWholeAndInOrder) {
  std::string longLine;  // 3.6 MB of UTF-8, 2.4 MB read
  for (int i = 0; i < 300000; ++i) longLine += "日本語の";
  std::string many;
  std::string expected;
  for (int i = 1; i <= 40000; ++i) {
    many += "行" + std::to_string(i) + "：ﾃｷｽﾄの一行\n";
    expected += tree_.String() + "/a.txt(" + std::to_string(i) + "):行" + std::to_string(i) + "：ﾃｷｽﾄの一行\n";
  }
  tree_.Write("a.txt", Iconv(many, "CP932"));
  tree_.Write("b.txt", Iconv("前\n" + longLine + "\n後\n", "CP932"));
  expected += tree_.String() + "/b.txt(2):" + longLine + "\n";
  const TResult result = Run({"-F", "の", tree_.String()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(result.out == expected) << result.out.size() << " bytes, " << expected.size() << " expected";
  const TResult raw = Run({"--encoding=sjis", "--format=line", "-F", "の", tree_.String(), "b.txt"});
  EXPECT_TRUE(raw.out == Iconv(longLine + "\n", "CP932")) << raw.out.size() << " bytes";
}

TEST_F(Tansa2GrepTest, ListingAndColourOptionsRefuseNonsense) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"-l", "--count", "x", tree_.String()},
           {"--count", "-l", "x", tree_.String()},
           {"--color=sometimes", "x", tree_.String()},
           {"--color", "x", tree_.String()},
           {"--count=3", "x", tree_.String()},
       }) {
    const TResult result = Run(args);
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(result.err.rfind("tansa2-grep: ", 0), 0u) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace tansa2
