#include "platform/FileIO.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"

namespace tansa2::platform {
namespace {

std::string ReadListed(const std::string& path, std::optional<uint64_t> listedSize) {
  TReadBuffer buffer;
  return std::string(TReadOnlyFile(path, listedSize).ReadToEnd(buffer));
}

// A file is read whole whether or not it still has the size its listing
// gave: grown, shrunk or emptied since.
TEST(ReadOnlyFileTest, ListedFileIsReadWholeWhateverItsSizeNow) {
  testing::TTempDir dir;
  const std::string text(70000, 'x');
  const std::string path = dir.Write("f.txt", text);
  EXPECT_EQ(ReadListed(path, text.size()), text);
  EXPECT_EQ(ReadListed(path, 10), text);
  EXPECT_EQ(ReadListed(path, 1), text);
  EXPECT_EQ(ReadListed(path, 0), text);
  EXPECT_EQ(ReadListed(path, text.size() + 5000), text);
  EXPECT_EQ(ReadListed(path, std::nullopt), text);
  dir.Write("f.txt", "");
  EXPECT_EQ(ReadListed(path, text.size()), "");
}

TEST(ReadOnlyFileTest, DirectoryCannotBeOpenedListedAsAFileOrNot) {
  testing::TTempDir dir;
  EXPECT_THROW(ReadListed(dir.String(), std::nullopt), EFOpenError);
  EXPECT_THROW(ReadListed(dir.String(), 100), EFOpenError);
  EXPECT_THROW(ReadListed(dir.String() + "/missing", 100), EFOpenError);
}

}  // namespace
}  // namespace tansa2::platform
