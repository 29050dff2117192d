#include "results/ShortenPath.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace tansa2 {
namespace {

// One pixel per byte.
int ByteWidth(std::string_view text) { return static_cast<int>(text.size()); }

std::string Shorten(std::string_view path, int width) { return ShortenPath(path, width, ByteWidth); }

TEST(ShortenPathTest, DropsLeadingDirectoriesOneByOneUntilTheTextFits) {
  const std::string path = "/aaaa/bbbb/cccc/file.txt";  // 24 bytes
  EXPECT_EQ(Shorten(path, 24), path);
  EXPECT_EQ(Shorten(path, 23), "/.../bbbb/cccc/file.txt");
  EXPECT_EQ(Shorten(path, 18), "/.../cccc/file.txt");
  EXPECT_EQ(Shorten(path, 13), "/.../file.txt");
  EXPECT_EQ(Shorten(path, 12), ".../file.txt");
  EXPECT_EQ(Shorten(path, 11), "file.txt");
  EXPECT_EQ(Shorten(path, 0), "file.txt");
}

TEST(ShortenPathTest, NamesWithoutDirectoryAndRelativePaths) {
  EXPECT_EQ(Shorten("a-rather-long-file-name.txt", 3), "a-rather-long-file-name.txt");
  EXPECT_EQ(Shorten("/file.txt", 3), "file.txt");
  EXPECT_EQ(Shorten("dir/sub/file.txt", 15), ".../file.txt");
  EXPECT_EQ(Shorten("dir/sub/file.txt", 11), "file.txt");
  EXPECT_EQ(Shorten("", 0), "");
}

TEST(ShortenPathTest, HiddenDirectoriesAreOrdinaryDirectories) {
  EXPECT_EQ(Shorten("/.config/dd/f", 12), "/.../dd/f");
  EXPECT_EQ(Shorten("/.config/dd/f", 8), "/.../f");
  EXPECT_EQ(Shorten("/home/.cache/f", 13), "/.../.cache/f");
}

TEST(ShortenPathTest, DoubleByteDirectoriesAreCutWhole) {
  const std::string dir = platform::Utf8ToCp932("表示");  // its trail bytes include 0x5C
  const std::string path = "/" + dir + "/" + dir + "/f.txt";
  EXPECT_EQ(Shorten(path, static_cast<int>(path.size()) - 1), "/.../" + dir + "/f.txt");
}

}  // namespace
}  // namespace tansa2
