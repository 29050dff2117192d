// A tree of everything an unlucky file system hands a search: every run
// must end with the right rows, without a hang or a crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "session/GrepRun.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using namespace std::string_literals;

namespace fs = std::filesystem;

// Rows per file, relative to the tree; files that can't be searched are
// counted under "!" and don't end the run.
class TRowCounter : public TGrepSink {
 public:
  explicit TRowCounter(const std::string& tree) : tree_(tree) {}
  bool Matched(const TGrepHit& hit) override {
    EXPECT_EQ(hit.Line.substr(0, 6), "needle") << hit.FileName;
    ++rows[std::string(hit.FileName.substr(tree_.size() + 1))];
    return true;
  }
  bool FileFailed(const TGrepFileError&) override {
    ++rows["!"];
    return true;
  }
  std::map<std::string, int> rows;

 private:
  std::string tree_;
};

// Lets a test change the tree as the walk meets each file.
class TMeddledRun : public TGrepRun {
 public:
  using TGrepRun::TGrepRun;
  std::function<void(const std::string& dir)> meddle;

 protected:
  void KyFindFileFind(const TFindData& data, const std::string& currentDir) override {
    if (meddle) meddle(currentDir);
    TGrepRun::KyFindFileFind(data, currentDir);
  }
};

class HostileTreeTest : public ::testing::Test {
 protected:
  std::map<std::string, int> Search(bool autoCode) {
    sink_.rows.clear();
    TGrepParam param;
    param.GrepStr = "needle";
    param.GrepDir = tree_.String();
    param.FileMask = "*.*";
    param.SubDir = true;
    param.NoRegExp = true;
    param.AutoCode = autoCode;
    EXPECT_EQ(CheckGrepInput(param), TGrepField::None);
    run_.Prepare(param);
    run_.MaxFileSize = 100;
    EXPECT_EQ(run_.SearchMasks(param.FileMask), 0u);
    return sink_.rows;
  }

  testing::TTempDir tree_;
  TRowCounter sink_{tree_.String()};
  TMeddledRun run_{sink_};
};

TEST_F(HostileTreeTest, EveryRunEndsWithTheRightRows) {
  const fs::path root = tree_.Path();
  std::map<std::string, int> expected;
  auto hit = [&](const std::string& name, const std::string& bytes) {
    tree_.Write(name, bytes);
    expected[name] = 1;
  };

  // Entries that are no files to read.
  const testing::TSpecialFiles specialFiles(root / "fifo.txt", root / "sock.txt");
  fs::create_directories(root / "links");
  fs::create_directory_symlink(root, root / "links" / "root");
  fs::create_directory_symlink("..", root / "links" / "up");

  // Many files in one folder, and a deep one.
  for (int i = 0; i < 20000; ++i) tree_.Write("many/f" + std::to_string(i) + ".txt", "x\n");
  hit("many/f7777.txt", "needle\n");
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "d" + std::to_string(i) + "/";
  hit(deep + "deep.txt", "needle\n");

  // Names that need quoting anywhere they go.
  for (const char* name : {"a b.txt", "q\"uo'te.txt", "com,ma.txt", "%L.txt", "-dash.txt", "--x.txt", " lead.txt"})
    hit(std::string("names/") + name, "needle\n");

  // Bytes that are invalid in each encoding, and UTF-16 cut off mid-unit.
  hit("bad/sjis.txt", "\x81\n\x82\xff\nneedle\n\xfc");
  hit("bad/euc.txt", "\xa4\xa2\xa4\nneedle\n\x8e\n");
  hit("bad/jis.txt", "\x1b$B\x7f\x21\x1b(B\nneedle\n\x1b$");
  hit("bad/utf8.txt", "\xc3\x28\n\xed\xa0\x80\nneedle\n\xf0\x9f");
  hit("bad/utf16le.txt", "\xff\xfen\0e\0e\0d\0l\0e\0\r\0\n\0\x00\xd8\n\0x"s);
  hit("bad/utf16be.txt", "\xfe\xff\0n\0e\0e\0d\0l\0e\0\r\0\n\xdc\x00\0\n\0"s);

  // A 50 MB line with its match at the end.
  {
    std::string big = "needle";
    big.append(50 << 20, 'x');
    hit("big.txt", big);
  }

  for (const bool autoCode : {true, false}) {
    SCOPED_TRACE(autoCode ? "detected" : "raw");
    std::map<std::string, int> want = expected;
    if (!autoCode) {
      // Raw bytes don't see the UTF-16 text.
      want.erase("bad/utf16le.txt");
      want.erase("bad/utf16be.txt");
    }
    EXPECT_EQ(Search(autoCode), want);
  }
}

TEST_F(HostileTreeTest, FilesAndFoldersChangingDuringTheWalk) {
  tree_.Write("a.txt", "needle\n");
  tree_.Write("change/grows.txt", "needle\n");
  tree_.Write("change/shrinks.txt", std::string(100000, 'x') + "\nneedle\n");
  for (int i = 0; i < 50; ++i) tree_.Write("gone/f" + std::to_string(i) + ".txt", "needle\n");
  // Each folder is changed when the walk meets its first file, after it
  // was listed.
  run_.meddle = [&](const std::string& dir) {
    std::error_code ignored;
    if (dir.ends_with("/gone")) fs::remove_all(dir, ignored);
    if (dir.ends_with("/change") && fs::file_size(dir + "/shrinks.txt", ignored) > 10) {
      tree_.Write("change/grows.txt", "needle\n" + std::string(100000, 'y') + "\nneedle\n");
      tree_.Write("change/shrinks.txt", "needle\n");
    }
  };
  const std::map<std::string, int> rows = Search(true);
  EXPECT_EQ(rows.at("a.txt"), 1);
  // Whatever part of a changing file was read, its rows are lines it held.
  EXPECT_GE(rows.count("change/grows.txt") + rows.count("change/shrinks.txt"), 1u);
  int goneRows = 0;
  for (const auto& [name, count] : rows)
    if (name.starts_with("gone/") || name == "!") goneRows += count;
  EXPECT_EQ(goneRows, 50) << "each file of the removed folder is a row or an error";
}

}  // namespace
}  // namespace tansa2
