#pragma once
// The folders a directory tree shows, as the desktop presents them: a
// virtual root "コンピュータ" holding the home folder, the root folder "/"
// and the mounted volumes a user would recognise; below those, every
// directory, hidden ones included. Names and paths are CP932.
#include <QIcon>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tansa2::platform {

enum class TShellKind { Computer, Home, FileSystemRoot, Volume, Directory, File };

struct TShellItem {
  TShellKind kind = TShellKind::Directory;
  std::string name;  // as its folder shows it
  std::string path;  // in the file system; empty for the computer
  bool folder = true;
  // A cheap guess: every folder may have sub-folders until it is listed.
  bool hasSubFolders = true;
};

// Whether a mounted file system at `rootPath` of type `fsType` is one a
// user would pick as a volume, rather than a system or pseudo file system.
bool IsUserVolume(std::string_view rootPath, std::string_view fsType);

// "/a/b" from "/a" and "b"; "/b" from "/" and "b".
std::string JoinPath(std::string_view folder, std::string_view name);

class TShellNamespace {
 public:
  static TShellItem Root();

  // The items of `folder` in their folder's order, or nothing when it can't
  // be listed.
  std::optional<std::vector<TShellItem>> Children(const TShellItem& folder);
  // How many times Children has listed a folder.
  int ListingCount() const { return listingCount_; }

  // The items from below the root down to the directory `cp932Path` names,
  // or nothing when it isn't an absolute path of an existing directory.
  std::optional<std::vector<TShellItem>> Parse(std::string_view cp932Path) const;

  // The order of two items of one folder: names with ASCII letters
  // compared without case, then bytes, so that names which differ in case
  // only stay two folders; the root's items keep home, "/", volumes.
  static int Compare(const TShellItem& a, const TShellItem& b);

  // Whether the directory of an item has disappeared.
  static bool IsGone(const TShellItem& item);

  // The item's small picture; its Selected mode shows the open picture, the
  // way a tree shows its selected folder.
  QIcon Icon(const TShellItem& item);

 private:
  static std::vector<TShellItem> Places();

  int listingCount_ = 0;
  std::array<std::optional<QIcon>, 6> icons_;
};

}  // namespace tansa2::platform
