#include "platform/ui/ShellNamespace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QPixmap>
#include <filesystem>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScopedHome.h"
#include "tests/support/TempDir.h"

namespace tansa2::platform {
namespace {

namespace fs = std::filesystem;

std::string Sjis(const char* utf8) { return Utf8ToCp932(utf8); }

TShellItem Dir(std::string name) { return {TShellKind::Directory, std::move(name), "", true, true}; }

std::vector<std::string> Names(const std::vector<TShellItem>& items) {
  std::vector<std::string> names;
  for (const TShellItem& item : items) names.push_back(item.name);
  return names;
}

TEST(ShellNamespaceTest, VolumesAreTheOnesAUserMounts) {
  const struct {
    const char* root;
    const char* type;
    bool volume;
  } cases[] = {
      {"/media/alice/USB", "vfat", true},   {"/run/media/bob/DISK", "ext4", true},
      {"/mnt", "ext4", true},               {"/mnt/backup", "ntfs3", true},
      {"/media", "ext4", false},            {"/run/media", "ext4", false},
      {"/mediafiles", "ext4", false},       {"/", "ext4", false},
      {"/boot", "ext4", false},             {"/run/user/1000", "tmpfs", false},
      {"/media/alice/ram", "tmpfs", false}, {"/mnt/proc", "proc", false},
      {"/mnt/cg", "cgroup2", false},        {"/mnt/sys", "sysfs", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUserVolume(c.root, c.type), c.volume) << c.root << " " << c.type;
}

TEST(ShellNamespaceTest, ItemsOfAFolderCompareByNameLettersWithoutCase) {
  const struct {
    std::string a, b;
    int order;
  } cases[] = {
      {"abc", "ABD", -1},
      {"abc", "ABC", 1},  // one letter case apart: two folders, upper case first
      {"abc", "abc", 0},
      {"a", "_", -1},     // letters compare as upper case, before "_"
      {"ab", "abc", -1},
      // 0x83 0x41 and 0x83 0x61 are two katakana, not one letter in two cases.
      {"\x83\x41", "\x83\x61", -1},
      {"Z", "\x83\x41", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TShellNamespace::Compare(Dir(c.a), Dir(c.b)), c.order) << c.a << " " << c.b;
    EXPECT_EQ(TShellNamespace::Compare(Dir(c.b), Dir(c.a)), -c.order) << c.b << " " << c.a;
  }
  // The root's items keep their kinds' order whatever their names.
  const TShellItem home{TShellKind::Home, "zz", "/home/zz", true, true};
  const TShellItem root{TShellKind::FileSystemRoot, "/", "/", true, true};
  const TShellItem volume{TShellKind::Volume, "A", "/media/A", true, true};
  EXPECT_LT(TShellNamespace::Compare(home, root), 0);
  EXPECT_LT(TShellNamespace::Compare(root, volume), 0);
  // Two volumes with one label are still two.
  EXPECT_NE(TShellNamespace::Compare(volume, {TShellKind::Volume, "A", "/media/B", true, true}), 0);
}

TEST(ShellNamespaceTest, ChildrenAreEveryEntryWithFoldersFlaggedAndSorted) {
  testing::QtApp();
  testing::TTempDir dir;
  for (const char* name : {"b", "A", ".hidden", "日本語", "c"}) fs::create_directory(dir.Path() / name);
  dir.Write("file.txt", "x");
  TShellNamespace shell;
  const TShellItem folder{TShellKind::Directory, "x", dir.String(), true, true};
  const auto children = shell.Children(folder);
  ASSERT_TRUE(children);
  EXPECT_EQ(Names(*children),
            (std::vector<std::string>{".hidden", "A", "b", "c", Sjis("日本語"), "file.txt"}));
  EXPECT_EQ(shell.ListingCount(), 1);
  for (const TShellItem& child : *children) {
    EXPECT_EQ(child.folder, child.name != "file.txt") << child.name;
    EXPECT_EQ(child.hasSubFolders, child.folder) << child.name;
    EXPECT_EQ(child.path, dir.String() + "/" + child.name);
    EXPECT_EQ(DirectoryExists(child.path), child.folder) << child.name;
  }
  EXPECT_FALSE(shell.Children({TShellKind::Directory, "gone", dir.String() + "/gone", true, true}));
  EXPECT_EQ(shell.ListingCount(), 2);
}

TEST(ShellNamespaceTest, AFolderThatCantBeReadHasNoChildren) {
  testing::TTempDir dir;
  const fs::path locked = dir.Path() / "locked";
  fs::create_directories(locked / "inner");
  fs::permissions(locked, fs::perms::none);
  // Root reads every folder: the listing runs as nobody for a moment.
  const bool asRoot = geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(seteuid(65534), 0);
  }
  const auto children = TShellNamespace().Children({TShellKind::Directory, "locked", locked.string(), true, true});
  if (asRoot) {
    ASSERT_EQ(seteuid(0), 0);
  }
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_FALSE(children);
}

TEST(ShellNamespaceTest, TheComputerHoldsHomeRootAndNothingThatIsntAVolume) {
  testing::QtApp();
  testing::TTempDir dir;
  const testing::TScopedHome home(dir.Path() / "home");
  TShellNamespace shell;
  const TShellItem computer = TShellNamespace::Root();
  EXPECT_EQ(computer.name, Sjis("コンピュータ"));
  EXPECT_EQ(computer.path, "");
  const auto places = shell.Children(computer);
  ASSERT_TRUE(places);
  ASSERT_GE(places->size(), 2u);
  EXPECT_EQ((*places)[0].kind, TShellKind::Home);
  EXPECT_EQ((*places)[0].path, dir.String() + "/home");
  EXPECT_EQ((*places)[0].name, Sjis("ホーム"));
  EXPECT_EQ((*places)[1].kind, TShellKind::FileSystemRoot);
  EXPECT_EQ((*places)[1].path, "/");
  for (size_t i = 2; i < places->size(); ++i) {
    EXPECT_EQ((*places)[i].kind, TShellKind::Volume);
    EXPECT_TRUE(IsUserVolume((*places)[i].path, "ext4")) << (*places)[i].path;
  }
}

TEST(ShellNamespaceTest, APathParsesFromTheLongestMatchingPlace) {
  testing::QtApp();
  testing::TTempDir dir;
  const testing::TScopedHome home(dir.Path() / "home");
  fs::create_directories(dir.Path() / "home" / "a" / "b");
  fs::create_directories(dir.Path() / "other");
  dir.Write("file.txt", "x");
  const std::string homePath = dir.String() + "/home";
  const TShellNamespace shell;
  const auto chainNames = [&](const std::string& path) -> std::optional<std::vector<std::string>> {
    const auto chain = shell.Parse(path);
    if (!chain) return std::nullopt;
    return Names(*chain);
  };
  const std::vector<std::string> tempParts = [&] {
    std::vector<std::string> parts{"/"};
    for (const auto& part : dir.Path().relative_path()) parts.push_back(part.string());
    return parts;
  }();
  auto outside = tempParts;
  outside.push_back("other");

  const struct {
    std::string path;
    std::optional<std::vector<std::string>> names;
  } cases[] = {
      {homePath + "/a/b", std::vector<std::string>{Sjis("ホーム"), "a", "b"}},
      {homePath + "/a/./b/", std::vector<std::string>{Sjis("ホーム"), "a", "b"}},
      {homePath + "/a/b/../b", std::vector<std::string>{Sjis("ホーム"), "a", "b"}},
      {homePath, std::vector<std::string>{Sjis("ホーム")}},
      {dir.String() + "/other", outside},
      {"/", std::vector<std::string>{"/"}},
      {homePath + "/a/missing", std::nullopt},
      {dir.String() + "/file.txt", std::nullopt},
      {"home/a", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(chainNames(c.path), c.names) << c.path;

  const auto chain = shell.Parse(homePath + "/a/b/");
  ASSERT_TRUE(chain);
  EXPECT_EQ((*chain)[0].kind, TShellKind::Home);
  EXPECT_EQ((*chain)[2].path, homePath + "/a/b");
}

TEST(ShellNamespaceTest, AGoneDirectoryIsNoticed) {
  testing::TTempDir dir;
  fs::create_directory(dir.Path() / "d");
  const TShellItem item{TShellKind::Directory, "d", dir.String() + "/d", true, true};
  EXPECT_FALSE(TShellNamespace::IsGone(item));
  fs::remove(dir.Path() / "d");
  EXPECT_TRUE(TShellNamespace::IsGone(item));
  EXPECT_FALSE(TShellNamespace::IsGone(TShellNamespace::Root()));
}

TEST(ShellNamespaceTest, EveryKindHasANormalAndAnOpenPicture) {
  testing::QtApp();
  TShellNamespace shell;
  for (TShellKind kind : {TShellKind::Computer, TShellKind::Home, TShellKind::FileSystemRoot,
                          TShellKind::Volume, TShellKind::Directory}) {
    const QIcon icon = shell.Icon({kind, "x", "/x", true, true});
    EXPECT_FALSE(icon.pixmap(16, QIcon::Normal).isNull()) << static_cast<int>(kind);
    EXPECT_FALSE(icon.pixmap(16, QIcon::Selected).isNull()) << static_cast<int>(kind);
  }
}

}  // namespace
}  // namespace tansa2::platform
