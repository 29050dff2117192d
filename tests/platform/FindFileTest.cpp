#include "platform/FindFile.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "tests/support/TempDir.h"

namespace tansa2::platform {
namespace {

std::vector<TFindData> List(const std::string& pathWithMask) {
  std::vector<TFindData> entries;
  TFindHandle handle;
  TFindData data;
  if (!handle.FindFirst(pathWithMask, data)) return entries;
  do entries.push_back(data);
  while (handle.FindNext(data));
  EXPECT_EQ(handle.LastError(), ERROR_NO_MORE_FILES);
  return entries;
}

std::vector<std::string> Names(const std::string& pathWithMask) {
  std::vector<std::string> names;
  for (const TFindData& data : List(pathWithMask)) names.push_back(data.cFileName);
  return names;
}

TFindData Entry(const std::string& dir, const std::string& name) {
  const std::vector<TFindData> entries = List(dir + "/" + name);
  EXPECT_EQ(entries.size(), 1u) << name;
  return entries.empty() ? TFindData{} : entries[0];
}

TEST(MatchesMaskTest, LettersWithoutCaseStarAndQuestionMark) {
  EXPECT_TRUE(MatchesMask("ReadMe.TXT", "readme.txt"));
  EXPECT_TRUE(MatchesMask("readme.txt", "*.TXT"));
  EXPECT_TRUE(MatchesMask("a.txt", "?.txt"));
  EXPECT_FALSE(MatchesMask("ab.txt", "?.txt"));
  EXPECT_FALSE(MatchesMask(".txt", "?.txt"));
  EXPECT_TRUE(MatchesMask("abcabd", "*ab?"));
  EXPECT_FALSE(MatchesMask("abcabe.x", "*abd*"));
  EXPECT_TRUE(MatchesMask("x.tar.gz", "*.gz"));
  EXPECT_FALSE(MatchesMask("x.gz.tar", "*.gz"));
  EXPECT_FALSE(MatchesMask("a_b", "a-b"));
}

TEST(MatchesMaskTest, DoubleByteCharacterIsOneCharacter) {
  const std::string nihon = Utf8ToCp932("日本.txt");
  EXPECT_TRUE(MatchesMask(nihon, "??.txt"));
  EXPECT_FALSE(MatchesMask(nihon, "?.txt"));
  EXPECT_FALSE(MatchesMask(nihon, "???.txt"));
  EXPECT_TRUE(MatchesMask(nihon, Utf8ToCp932("日*")));
  // "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: trail bytes are not letters.
  EXPECT_FALSE(MatchesMask(Utf8ToCp932("ア"), Utf8ToCp932("ヂ")));
  // "表" ends in 0x5C: still one character.
  EXPECT_TRUE(MatchesMask(Utf8ToCp932("表"), "?"));
  EXPECT_FALSE(MatchesMask(Utf8ToCp932("表x"), "?"));
}

TEST(MatchesMaskTest, EveryNameMatchesStarDotStar) {
  for (const char* name : {"a", "a.b", ".hidden", ".", "..", "no_dot", "x.y.z"}) {
    EXPECT_TRUE(MatchesMask(name, "*.*")) << name;
    EXPECT_TRUE(MatchesMask(name, "*")) << name;
  }
  EXPECT_TRUE(MatchesMask("abcd", "abc*.*"));
  EXPECT_TRUE(MatchesMask("abc", "abc.*"));
  EXPECT_TRUE(MatchesMask("abc.d", "abc.*"));
  EXPECT_FALSE(MatchesMask("abcd", "abc.*"));
  EXPECT_FALSE(MatchesMask("abcd", "*.txt"));
}

TEST(MatchesMaskTest, EmptyMaskMatchesNothing) {
  EXPECT_FALSE(MatchesMask("a", ""));
  EXPECT_FALSE(MatchesMask("", ""));
}

TEST(MatchesMaskTest, ManyStarsStayFast) {
  const std::string name(5000, 'a');
  const std::string mask = std::string(200, '*') + std::string(30, 'a') + "b";
  EXPECT_FALSE(MatchesMask(name, mask));
  EXPECT_TRUE(MatchesMask(name + "b", mask));
}

TEST(FindFileTest, ListsDotsFirstThenNamesWithoutCaseThenBytes) {
  testing::TTempDir dir;
  for (const char* name : {"b", "B", "a", "_x", "C.txt", "!bang", "..dots"}) dir.Write(name, "");
  std::filesystem::create_directory(dir.Path() / "c");
  EXPECT_EQ(Names(dir.String() + "/*.*"),
            (std::vector<std::string>{".", "..", "!bang", "..dots", "a", "B", "b", "c", "C.txt", "_x"}));
}

TEST(FindFileTest, MaskFiltersAndNothingMatchingIsNoListing) {
  testing::TTempDir dir;
  dir.Write("one.txt", "");
  dir.Write("two.TXT", "");
  dir.Write("three.log", "");
  EXPECT_EQ(Names(dir.String() + "/*.txt"), (std::vector<std::string>{"one.txt", "two.TXT"}));

  TFindHandle handle;
  TFindData data;
  EXPECT_FALSE(handle.FindFirst(dir.String() + "/*.doc", data));
  EXPECT_FALSE(handle.FindFirst(dir.String() + "/", data));
  EXPECT_FALSE(handle.FindFirst(dir.String() + "/missing/*.*", data));
  EXPECT_FALSE(handle.FindNext(data));
}

TEST(FindFileTest, SizeIdentityAndTimes) {
  testing::TTempDir dir;
  const std::string file = dir.Write("data.bin", std::string(12345, 'x'));
  const TFindData entry = Entry(dir.String(), "data.bin");
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(entry.nFileSize, 12345u);
  EXPECT_EQ(entry.nInode, st.st_ino);
  EXPECT_EQ(entry.nDevice, st.st_dev);
  EXPECT_EQ(entry.ftLastWriteTime / 10000000 - 11644473600, static_cast<uint64_t>(st.st_mtim.tv_sec));
  EXPECT_EQ(entry.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
}

TEST(FindFileTest, HiddenDirectoryAndLinkAttributes) {
  testing::TTempDir dir;
  dir.Write(".profile", "");
  std::filesystem::create_directory(dir.Path() / "sub");
  std::filesystem::create_directory_symlink(dir.Path() / "sub", dir.Path() / "link");
  std::filesystem::create_symlink(dir.Path() / "gone", dir.Path() / "dangling");

  EXPECT_EQ(Entry(dir.String(), ".profile").dwFileAttributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(Entry(dir.String(), "sub").dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  const TFindData link = Entry(dir.String(), "link");
  EXPECT_EQ(link.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(link.nInode, Entry(dir.String(), "sub").nInode);
  EXPECT_EQ(Entry(dir.String(), "dangling").dwFileAttributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE),
            FILE_ATTRIBUTE_SYSTEM);
  const std::vector<TFindData> dots = List(dir.String() + "/.*");
  ASSERT_GE(dots.size(), 2u);
  EXPECT_EQ(dots[0].dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(dots[1].dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
}

TEST(FindFileTest, FifoAndSocketAreSystemEntries) {
  testing::TTempDir dir;
  ASSERT_EQ(mkfifo((dir.String() + "/pipe").c_str(), 0644), 0);
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir.String() + "/sock";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  EXPECT_EQ(Entry(dir.String(), "pipe").dwFileAttributes & ~FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(Entry(dir.String(), "sock").dwFileAttributes & ~FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM);
  close(fd);
}

// Switches the effective user for a scope; only root can.
class TEffectiveUser {
 public:
  explicit TEffectiveUser(uid_t uid) : ok_(seteuid(uid) == 0) {}
  ~TEffectiveUser() {
    if (ok_) {
      EXPECT_EQ(seteuid(0), 0);
    }
  }
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

TEST(FindFileTest, ReadOnlyWhenTheUserMayNotWrite) {
  testing::TTempDir dir;
  const std::string locked = dir.Write("locked", "");
  const std::string open = dir.Write("open", "");
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  ASSERT_EQ(chmod(open.c_str(), 0666), 0);
  if (geteuid() != 0) {
    EXPECT_TRUE(Entry(dir.String(), "locked").dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Entry(dir.String(), "open").dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    return;
  }
  // Root may write everything; another user may write only what others may.
  EXPECT_FALSE(Entry(dir.String(), "locked").dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(chmod(dir.String().c_str(), 0755), 0);
  ASSERT_EQ(chmod(locked.c_str(), 0644), 0);
  TEffectiveUser nobody(65534);
  ASSERT_TRUE(nobody.Ok());
  EXPECT_TRUE(Entry(dir.String(), "locked").dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(Entry(dir.String(), "open").dwFileAttributes & FILE_ATTRIBUTE_READONLY);
}

TEST(FindFileTest, NameCp932CannotHoldStillOpensTheSameFile) {
  testing::TTempDir dir;
  dir.Write("caf\xC3\xA9.txt", "accent");
  dir.Write("\xF0\x9F\x98\x80.txt", "emoji");
  dir.Write("\xE6\x97\xA5\xE6\x9C\xAC.txt", "kanji");
  const std::vector<std::string> names = Names(dir.String() + "/*.txt");
  ASSERT_EQ(names.size(), 3u);
  // Listed in their name forms: the plain CP932 one where CP932 holds the name.
  EXPECT_EQ(names[0], Cp932FormOfName("caf\xC3\xA9.txt"));
  EXPECT_EQ(names[1], Utf8ToCp932("日本.txt"));
  EXPECT_EQ(names[2], Cp932FormOfName("\xF0\x9F\x98\x80.txt"));
  for (const auto& [name, content] : {std::pair{names[0], "accent"}, {names[1], "kanji"}, {names[2], "emoji"}}) {
    std::ifstream in(NativePath(dir.String() + "/" + name), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content) << name;
  }
}

}  // namespace
}  // namespace tansa2::platform
