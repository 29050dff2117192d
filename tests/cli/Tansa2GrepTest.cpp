// Runs the built tansa2-grep on real trees and reads what it prints.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
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
  // Standard input is `input` when given, else no file or pipe at all.
  TResult Run(const std::vector<std::string>& args, const std::string& cwd = "",
              const std::string& prefix = "", const std::optional<std::string>& input = std::nullopt) {
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
    if (input) {
      const fs::path in = scratch_.Path() / "in";
      std::ofstream(in, std::ios::binary) << *input;
      command += " <'" + in.string() + "'";
    } else {
      command += " </dev/null";
    }
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
    const TResult result = Run({"--format=tag", "-F", word, tree_.String()});
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
    const TResult result = Run({"--format=tag", "--raw", "-F", word, tree_.String()});
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

TEST_F(EncodingTreeTest, CaseIsMatchedUnlessIgnored) {
  for (const char* ignore : {"-i", "-S"}) {
    const TResult ignored = Run({ignore, "-F", "tokyo", "-g", "utf8.txt", tree_.String()});
    EXPECT_EQ(ignored.status, 0) << ignore;
    EXPECT_EQ(SplitLines(ignored.out).size(), 1u) << ignore;
  }
  EXPECT_EQ(Run({"-F", "tokyo", "-g", "utf8.txt", tree_.String()}).status, 1);
  EXPECT_EQ(Run({"-S", "-F", "TOKYO", "-g", "utf8.txt", tree_.String()}).status, 1);
}

TEST_F(EncodingTreeTest, RegularExpressionsAndTheThreeFormats) {
  const TResult tag = Run({"--format=tag", "東京.{0,3}[都府]", tree_.String() + "/sjis.txt"});
  ASSERT_EQ(tag.status, 0) << tag.err;
  EXPECT_EQ(tag.out, tree_.String() + "/sjis.txt(16):" + lines_[15] + "\n");
  const TResult csv = Run({"--format=csv", "東京都", tree_.String() + "/sjis.txt"});
  // The match starts at byte 19 of the Shift-JIS line and is 6 bytes long.
  EXPECT_EQ(csv.out, tree_.String() + "/sjis.txt,16," + lines_[15] + ",19,6\n");
  const TResult line = Run({"--format=line", "東京都", tree_.String() + "/sjis.txt"});
  EXPECT_EQ(line.out, lines_[15] + "\n");
  const TResult sjis = Run({"--format=line", "--output-encoding=sjis", "東京都", tree_.String() + "/sjis.txt"});
  EXPECT_EQ(sjis.out, Iconv(lines_[15], "CP932") + "\n");
}

TEST_F(EncodingTreeTest, SummaryGoesToStandardError) {
  const TResult result = Run({"--summary", "-F", "能登", tree_.String()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err.rfind("7個検索しました。(Elapsed time 0:", 0), 0u) << result.err;
}

TEST_F(EncodingTreeTest, FiltersAndMasks) {
  struct TCase {
    std::vector<std::string> options;
    size_t lines;
  };
  for (const TCase& c : std::vector<TCase>{
           {{"-g", "*.txt", "--exclude-ext=TXT"}, 0},
           {{"--dir-mask=a"}, 3},
           {{"-g", "sjis.txt", "-g", "utf8*"}, 3},
           {{"-g", "sjis.txt", "-g", "utf8*", "--max-depth=1"}, 1},
           {{"-g", "!*16*", "-g", "!euc.txt"}, 4},
           {{"--max-depth=2"}, 5},
           {{"--max-filesize=1M"}, 7},
       }) {
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-F", "能登", tree_.String()});
    EXPECT_EQ(SplitLines(Run(args).out).size(), c.lines) << ::testing::PrintToString(c.options);
  }
  EXPECT_EQ(Run({"-F", "能登", tree_.String(), "--max-filesize=0"}).status, 1);
}

TEST_F(Tansa2GrepTest, RefusedInputGetsAMessageAndStatusTwo) {
  struct TCase {
    std::vector<std::string> args;
    std::string message;
  };
  const std::string dir = tree_.String();
  for (const TCase& c : std::vector<TCase>{
           {{"x", dir + "/missing"}, "missing: No such file or directory (os error 2)"},
           {{"(", dir}, "tansa2-grep: "},
           {{}, "a pattern is needed"},
           {{"-y", "x", dir}, "unknown option -y"},
           {{"--format=xml", "x", dir}, "unknown --format"},
           {{"--max-filesize=ten", "x", dir}, "invalid size"},
           {{"-E", "latin1", "x", dir}, "unknown encoding"},
           {{"-A", "x", "y", dir}, "invalid number"},
           {{"caf\xC3\xA9", dir}, "'\xC3\xA9' (U+00E9)"},
           {{"-e", "ok", "-e", "\xF0\x9F\x98\x80", dir}, "(U+1F600)"},
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

  // Followed, the two links lead back to directories being walked: each file still comes once.
  for (const std::vector<std::string>& mode : std::vector<std::vector<std::string>>{{}, {"--raw"}, {"-L"}, {"-L", "--raw"}}) {
    std::vector<std::string> args = mode;
    for (const char* a : {"--format=tag", "--max-filesize=100M", "-F", "needle"}) args.emplace_back(a);
    args.push_back(root.string());
    const TResult result = Run(args);
    // The locked folder is an error unless root reads it.
    EXPECT_EQ(result.status, geteuid() == 0 ? 0 : 2) << result.err;
    const std::vector<std::string> lines = SplitLines(result.out);
    auto count = [&](const std::string& part) {
      return std::count_if(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    EXPECT_EQ(count("/plain.txt(1):needle"), 1) << ::testing::PrintToString(mode);
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
    const TResult result = Run({"--format=tag", "hit", c.dir}, tree_.String());
    EXPECT_EQ(result.out, c.path + "(1):hit\n") << c.dir;
  }
  EXPECT_EQ(Run({"--format=tag", "hit", "."}, (tree_.Path() / "t").string()).out, "./a.txt(1):hit\n");
  // No path: the working directory, its files named without "./".
  EXPECT_EQ(Run({"--format=tag", "hit"}, (tree_.Path() / "t").string()).out, "a.txt(1):hit\n");
}

// Reading /proc/self/mem from its start fails for every user, root too.
TEST_F(Tansa2GrepTest, AnUnreadableFileIsReportedAndTheSearchGoesOn) {
  tree_.Write("a.txt", "hit\n");
  tree_.Write("c.txt", "hit\n");
  fs::create_symlink("/proc/self/mem", tree_.Path() / "b.txt");
  const TResult result = Run({"-L", "--format=tag", "hit", tree_.String()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, tree_.String() + "/a.txt(1):hit\n" + tree_.String() + "/c.txt(1):hit\n");
  EXPECT_EQ(result.err, "tansa2-grep: " + tree_.String() + "/b.txt: Input/output error (os error 5)\n");
  // No line matched, one file failed: the failure decides the status.
  EXPECT_EQ(Run({"-L", "nothing", tree_.String()}).status, 2);
  EXPECT_EQ(Run({"-L", "hit", tree_.String() + "/a.txt"}).status, 0);
  // Without -L the link is no file of the walk.
  EXPECT_EQ(Run({"hit", tree_.String()}).status, 0);
  // A pattern the library refuses still ends the run with one message.
  const TResult refused = Run({"(", tree_.String()});
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
  for (const std::vector<std::string>& options : {std::vector<std::string>{"--raw"}, {}}) {
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.end(), {"--format=tag", "hit", tree_.String()});
    const TResult result = Run(arguments, "", prefix);
    EXPECT_EQ(result.status, 2) << options.size();
    EXPECT_EQ(result.out, tree_.String() + "/b.txt(1):hit\n");
    EXPECT_EQ(result.err, "tansa2-grep: " + tree_.String() + "/a.txt: Permission denied (os error 13)\n");
  }
}

TEST_F(Tansa2GrepTest, FileNamesCountsAndColours) {
  tree_.Write("a.txt", "one hit\nno\nhit two\n");
  tree_.Write("b.txt", "none\n");
  tree_.Write("e.txt", "");
  tree_.Write("s/c.txt", "hit\n");
  const std::string d = tree_.String();
  const std::string magenta = "\033[0m\033[35m", green = "\033[0m\033[32m", red = "\033[0m\033[1m\033[31m",
                    off = "\033[0m";
  struct TCase {
    std::vector<std::string> options;
    std::string out;
  };
  for (const TCase& c : std::vector<TCase>{
           {{"-l"}, d + "/a.txt\n" + d + "/s/c.txt\n"},
           {{"--files-with-matches", "--color=never"}, d + "/a.txt\n" + d + "/s/c.txt\n"},
           {{"--files-without-match"}, d + "/b.txt\n" + d + "/e.txt\n"},
           {{"--files-without-match", "--raw"}, d + "/b.txt\n" + d + "/e.txt\n"},
           {{"-c", "-v", "--raw"}, d + "/a.txt:1\n" + d + "/b.txt:1\n"},
           {{"--count"}, d + "/a.txt:2\n" + d + "/s/c.txt:1\n"},
           {{"-c", "-v"}, d + "/a.txt:1\n" + d + "/b.txt:1\n"},
           {{"-q"}, ""},
           // Not a terminal: no colours, line numbers or headings by themselves.
           {{"--color=auto"}, d + "/a.txt:one hit\n" + d + "/a.txt:hit two\n" + d + "/s/c.txt:hit\n"},
           {{"--color=always", "-l"}, magenta + d + "/a.txt" + off + "\n" + magenta + d + "/s/c.txt" + off + "\n"},
           {{"--color=always", "-n", "-g", "a.txt"},
            magenta + d + "/a.txt" + off + ":" + green + "1" + off + ":one " + red + "hit" + off + "\n" +
            magenta + d + "/a.txt" + off + ":" + green + "3" + off + ":" + red + "hit" + off + " two\n"},
           {{"--color=always", "--format=line", "-g", "a.txt"}, "one " + red + "hit" + off + "\n" + red + "hit" + off + " two\n"},
           // Comma rows are data and stay plain.
           {{"--color=always", "--format=csv", "-g", "a.txt"},
            d + "/a.txt,1,\"one hit\",5,3\n" + d + "/a.txt,3,\"hit two\",1,3\n"},
       }) {
    std::vector<std::string> args = c.options;
    for (const std::string& a : {std::string("hit"), d}) args.push_back(a);
    const TResult result = Run(args);
    EXPECT_EQ(result.status, 0) << ::testing::PrintToString(c.options) << result.err;
    EXPECT_EQ(result.out, c.out) << ::testing::PrintToString(c.options);
  }
  EXPECT_EQ(Run({"-l", "nothing", d}).status, 1);
  EXPECT_EQ(Run({"-q", "nothing", d}).status, 1);
  EXPECT_EQ(Run({"--count", "nothing", d}).out, "");
}

// Files named like the libraries it loads, in the folder it runs in, are
// never loaded in their place.
TEST_F(Tansa2GrepTest, LibrariesAreNotTakenFromTheWorkingFolder) {
  for (const char* name : {"libc.so.6", "libm.so.6", "libonig.so.5", "libbregexp.so.2"})
    tree_.Write(name, "not a library\n");
  const TResult result = Run({"--version"}, tree_.String());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.rfind("tansa2-grep ", 0), 0u) << result.out;
}

// A file over the size limit is left out of every listing, with detection
// (where the search finds its size when it opens it) and raw alike.
TEST_F(Tansa2GrepTest, AFileOverTheSizeLimitIsNeverListed) {
  tree_.Write("big.txt", "hit\n" + std::string(2000, 'x') + "\n");
  tree_.Write("small.txt", "hit\n");
  const std::string d = tree_.String();
  for (const std::string mode : {"--max-filesize=1K", "--raw"}) {
    for (const auto& [options, out] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"hit"}, d + "/small.txt:hit\n"},
             {{"-c", "hit"}, d + "/small.txt:1\n"},
             {{"--files-without-match", "miss"}, d + "/small.txt\n"},
         }) {
      std::vector<std::string> args{"--max-filesize=1K", mode};
      args.insert(args.end(), options.begin(), options.end());
      args.push_back(d);
      EXPECT_EQ(Run(args).out, out) << mode << " " << ::testing::PrintToString(options);
    }
  }
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
  const TResult result = Run({"--format=tag", "-F", "の", tree_.String()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(result.out == expected) << result.out.size() << " bytes, " << expected.size() << " expected";
  const TResult raw = Run({"--output-encoding=sjis", "--format=line", "-F", "の", tree_.String() + "/b.txt"});
  EXPECT_TRUE(raw.out == Iconv(longLine + "\n", "CP932")) << raw.out.size() << " bytes";
}

// Directories are listed ahead of the walk on another thread; the files
// still come in the walk's order: a directory's own files, then each
// sub-directory in name order. Unreadable directories are reported once.
TEST_F(Tansa2GrepTest, AWideDeepTreeIsWalkedInNameOrder) {
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "root reads every directory";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  const std::vector<std::string> locked{"d2/d5/", "d6/d0/d3/"};
  std::vector<std::string> expected;
  // Depth first, as the walk goes: each level's file, then its sub-directories.
  std::function<void(const std::string&, int)> build = [&](const std::string& dir, int depth) {
    tree_.Write(dir + "f.txt", "x\n");
    if (std::none_of(locked.begin(), locked.end(), [&](const std::string& l) { return dir.starts_with(l); }))
      expected.push_back(tree_.String() + "/" + dir + "f.txt");
    if (depth == 3) return;
    for (int i = 0; i < 7; ++i) build(dir + "d" + std::to_string(i) + "/", depth + 1);
  };
  build("", 0);
  for (const std::string& dir : locked) fs::permissions(tree_.Path() / dir, fs::perms::none);
  // Raw reading lists ahead on a second thread, so it goes three times.
  for (const char* mode : {"--encoding=sjis", "--raw", "--raw", "--raw"}) {
    const TResult result = Run({"-l", mode, "x", tree_.String()}, "", prefix);
    EXPECT_EQ(SplitLines(result.out), expected) << mode;
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "tansa2-grep: " + tree_.String() + "/d2/d5: Permission denied (os error 13)\n" +
                              "tansa2-grep: " + tree_.String() + "/d6/d0/d3: Permission denied (os error 13)\n");
  }
  for (const std::string& dir : locked) fs::permissions(tree_.Path() / dir, fs::perms::owner_all);
}

TEST_F(Tansa2GrepTest, ListingAndColourOptionsRefuseNonsense) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--color=sometimes", "x", tree_.String()},
           {"--output-encoding=latin1", "x", tree_.String()},
           {"--max-depth=-1", "x", tree_.String()},
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
// Each output shape on one small tree, typed as a user would.
TEST_F(Tansa2GrepTest, OutputShapes) {
  // Hits at the first and last lines and where two groups' context overlaps.
  tree_.Write("a.txt", "hit 1\nx2\nx3\nx4\nhit 5\nx6\nhit 7 hit\nx8\nx9\nx10\nhit 11\n");
  tree_.Write("b.txt", "nothing\n");
  const std::string a = tree_.String() + "/a.txt";
  struct TCase {
    std::vector<std::string> args;  // before the pattern "hit"
    std::string out;
  };
  for (const TCase& c : std::vector<TCase>{
           {{"-n"}, "1:hit 1\n5:hit 5\n7:hit 7 hit\n11:hit 11\n"},
           {{"-N", "-H"}, a + ":hit 1\n" + a + ":hit 5\n" + a + ":hit 7 hit\n" + a + ":hit 11\n"},
           {{"-n", "-A1"}, "1:hit 1\n2-x2\n--\n5:hit 5\n6-x6\n7:hit 7 hit\n8-x8\n--\n11:hit 11\n"},
           {{"-n", "-B", "1"}, "1:hit 1\n--\n4-x4\n5:hit 5\n6-x6\n7:hit 7 hit\n--\n10-x10\n11:hit 11\n"},
           {{"-C2"}, "hit 1\nx2\nx3\nx4\nhit 5\nx6\nhit 7 hit\nx8\nx9\nx10\nhit 11\n"},
           {{"-o", "-n"}, "1:hit\n5:hit\n7:hit\n7:hit\n11:hit\n"},
           {{"--vimgrep"}, a + ":1:1:hit 1\n" + a + ":5:1:hit 5\n" + a + ":7:1:hit 7 hit\n" + a + ":7:7:hit 7 hit\n" + a + ":11:1:hit 11\n"},
           {{"-c"}, "4\n"},
           {{"--heading", "-H", "-n"}, a + "\n1:hit 1\n5:hit 5\n7:hit 7 hit\n11:hit 11\n"},
           {{"-e", "x4", "-e", "x10", "-n"}, "1:hit 1\n4:x4\n5:hit 5\n7:hit 7 hit\n10:x10\n11:hit 11\n"},
       }) {
    std::vector<std::string> args = c.args;
    if (std::find(args.begin(), args.end(), "-e") == args.end()) args.push_back("hit");
    else args.insert(args.end(), {"-e", "hit"});
    args.push_back(a);
    const TResult result = Run(args);
    EXPECT_EQ(result.out, c.out) << ::testing::PrintToString(c.args) << result.err;
  }
  // Plain text: the dot is a dot.
  EXPECT_EQ(Run({"-F", "-e", "x.", "-e", "hit 5", a}).out, "hit 5\n");
  // -v, -w and context over two files, with "--" between their groups.
  EXPECT_EQ(Run({"-v", "-n", "x|hit", tree_.String()}).out, tree_.String() + "/b.txt:1:nothing\n");
  EXPECT_EQ(Run({"-w", "-c", "hi", a}).status, 1);
  EXPECT_EQ(Run({"-A1", "-e", "hit 11", "-e", "nothing", tree_.String()}).out,
            a + ":hit 11\n--\n" + tree_.String() + "/b.txt:nothing\n");
  // Headings only above files with hits, parted by an empty line.
  tree_.Write("c.txt", "last hit\n");
  EXPECT_EQ(Run({"--heading", "hit 1|last", tree_.String()}).out,
            a + "\nhit 1\nhit 11\n\n" + tree_.String() + "/c.txt\nlast hit\n");
}

TEST_F(Tansa2GrepTest, StandardInputWhenPipedOrAFile) {
  EXPECT_EQ(Run({"-n", "b"}, "", "", std::string("a\nb\nc b\n")).out, "2:b\n3:c b\n");
  EXPECT_EQ(Run({"-H", "b"}, "", "", std::string("b\n")).out, "<stdin>:b\n");
  // Shift-JIS on standard input is detected too.
  EXPECT_EQ(Run({"東京"}, "", "", Iconv("東京都\n", "CP932")).out, "東京都\n");
  // A path given: standard input is not read.
  tree_.Write("f.txt", "b from the file\n");
  EXPECT_EQ(Run({"b", tree_.String() + "/f.txt"}, "", "", std::string("b\n")).out, "b from the file\n");
  // One encoding for every file: a short Shift-JIS text that reads as EUC-JP.
  const std::string sjis = Iconv("ｱｲｳ\n", "CP932");
  EXPECT_EQ(Run({"-E", "sjis", "ｱｲｳ"}, "", "", sjis).out, "ｱｲｳ\n");
}

// A pipe named on the command line, as a shell's <(...) names one, is read
// to its end however slowly its writer writes, from its first byte.
TEST_F(Tansa2GrepTest, APipeIsReadToItsEnd) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  fcntl(ends[1], F_SETFD, FD_CLOEXEC);  // only the reading end goes to the program
  const auto ignoredBefore = std::signal(SIGPIPE, SIG_IGN);  // should the program die early
  std::thread writer([&] {
    auto put = [&](const std::string& text) {
      for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(ends[1], text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
      }
    };
    put("hit 0\n" + std::string(100000, 'x') + "\nhit 1\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    put("hit 2\n");
    close(ends[1]);
  });
  const TResult result = Run({"-c", "hit", "/dev/fd/" + std::to_string(ends[0])});
  close(ends[0]);
  writer.join();
  std::signal(SIGPIPE, ignoredBefore);
  EXPECT_EQ(result.out, "3\n");
}

// The JSON lines parsed and checked against ripgrep's message shapes.
TEST_F(Tansa2GrepTest, JsonLinesFollowTheirSchema) {
  tree_.Write("a.txt", "one\nhit two hit\nthree\n");
  tree_.Write("b.txt", Iconv("東京 hit\n", "CP932"));
  tree_.Write("c.txt", "none\n");
  const TResult result = Run({"--json", "-C1", "hit", tree_.String()});
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path json = scratch_.Path() / "out.json";
  std::ofstream(json) << result.out;
  const std::string check = std::string("python3 '") + TANSA2_TEST_DATA + "/cli/check_json.py' '" + json.string() + "'";
  EXPECT_EQ(std::system(check.c_str()), 0) << result.out;
  // The offsets and columns are those of the UTF-8 text.
  EXPECT_NE(result.out.find("\"lines\":{\"text\":\"hit two hit\\n\"},\"line_number\":2,\"absolute_offset\":4,"
                            "\"submatches\":[{\"match\":{\"text\":\"hit\"},\"start\":0,\"end\":3},"
                            "{\"match\":{\"text\":\"hit\"},\"start\":8,\"end\":11}]"),
            std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\"start\":7,\"end\":10"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("c.txt"), std::string::npos);
}

// Names CP932 lacks, and names that aren't UTF-8 at all, each searched once
// under its own bytes.
TEST_F(Tansa2GrepTest, EveryNameOnceUnderItsOwnBytes) {
  const std::vector<std::string> names = {
      "\xC3\xA9/a.txt", "\xC3\xA8/a.txt", "r\xC3\xA9s.txt", "r?s.txt", "\xF0\x9F\x98\x80.txt", "\xC3\xA9.txt",
      "\x93\x8C\x8B\x9E.txt",  // 東京 in Shift-JIS bytes
      "\xC5\xEC\xB5\xFE.txt",  // 東京 in EUC-JP bytes
  };
  for (const std::string& name : names) tree_.Write(name, "hit\n");
  const TResult result = Run({"-l", "hit", tree_.String()});
  EXPECT_EQ(result.status, 0) << result.err;
  std::multiset<std::string> listed;
  for (const std::string& line : SplitLines(result.out)) listed.insert(line.substr(tree_.String().size() + 1));
  EXPECT_EQ(listed, std::multiset<std::string>(names.begin(), names.end()));
  // Globs take the name form too.
  EXPECT_EQ(Run({"-l", "-g", "r\xC3\xA9*", "hit", tree_.String()}).out, tree_.String() + "/r\xC3\xA9s.txt\n");
}

// Where grep, ripgrep and tansa2-grep mean the same, they print the same lines.
TEST_F(Tansa2GrepTest, SameLinesAsGrepAndRipgrep) {
  std::string text;
  const char* words[] = {"東京", "tokyo", "Tokyo", "京都", "foo", "foobar", "bar foo", "日本語 foo"};
  for (int i = 0; i < 120; ++i) text += std::string(words[i % 8]) + " " + words[(i * 5 + 3) % 8] + " " + std::to_string(i) + "\n";
  tree_.Write("t.txt", text);
  const std::string file = tree_.String() + "/t.txt";
  const bool haveRg = std::system("command -v rg >/dev/null") == 0;
  if (!haveRg) std::fprintf(stderr, "ripgrep is missing: compared with grep only\n");
  auto output = [&](const std::string& command) {
    const fs::path out = scratch_.Path() / "diff.out";
    EXPECT_NE(std::system((command + " >'" + out.string() + "' </dev/null").c_str()), -1);
    return ReadFile(out);
  };
  for (const std::vector<std::string>& options : std::vector<std::vector<std::string>>{
           {"-n", "foo"}, {"-c", "東京"}, {"-v", "-n", "foo"}, {"-w", "-n", "foo"}, {"-o", "-n", "foo"},
           {"-n", "-A2", "東京 foo"}, {"-n", "-B1", "tokyo"}, {"-n", "-C3", "bar"}, {"-i", "-n", "TOKYO"},
           {"-n", "-C1", "-w", "foo"}}) {
    std::string args;
    for (const std::string& o : options) args += " '" + o + "'";
    const std::string ours = Run([&] {
      std::vector<std::string> all = options;
      all.push_back(file);
      return all;
    }()).out;
    EXPECT_EQ(ours, output("LC_ALL=C.UTF-8 grep" + args + " '" + file + "'")) << args;
    if (haveRg) {
      EXPECT_EQ(ours, output("rg --no-config" + args + " '" + file + "'")) << args;
    }
  }
  if (haveRg) {
    EXPECT_EQ(Run({"-l", "foo", tree_.String()}).out, output("rg --no-config -l foo '" + tree_.String() + "'"));
  }
}

}  // namespace tansa2
