#include "platform/ui/ShellNamespace.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QStorageInfo>
#include <algorithm>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "platform/FindFile.h"
#include "platform/NameForm.h"

namespace tansa2::platform {
namespace {

constexpr int kIconSize = 16;

// A trail byte is never folded: it is half of a double-byte character.
int CompareWithoutCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  while (i < a.size() && i < b.size()) {
    const size_t lengthA = CharLength(a, i);
    const size_t lengthB = CharLength(b, i);
    const auto byteA = static_cast<unsigned char>(lengthA == 1 ? UpperAscii(a[i]) : a[i]);
    const auto byteB = static_cast<unsigned char>(lengthB == 1 ? UpperAscii(b[i]) : b[i]);
    if (byteA != byteB) return byteA < byteB ? -1 : 1;
    if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
    if (lengthA == 2 && a[i + 1] != b[i + 1])
      return static_cast<unsigned char>(a[i + 1]) < static_cast<unsigned char>(b[i + 1]) ? -1 : 1;
    i += lengthA;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareBytes(std::string_view a, std::string_view b) {
  const int result = a.compare(b);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

// The parts of a path between its separators, "." and ".." resolved.
std::vector<std::string> PathParts(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  return parts;
}

std::string NormalPath(std::string_view path) {
  std::string normal;
  for (const std::string& part : PathParts(path)) normal += "/" + part;
  return normal.empty() ? "/" : normal;
}

// A path that Qt hands over, in the program's code page. Qt holds a path in
// the file system's bytes only as far as they are UTF-8.
std::string Cp932PathOf(const QString& nativePath) {
  return Cp932FormOfName(NormalPath(QFile::encodeName(nativePath).toStdString()));
}

// The home folder as the environment names it, byte for byte: a home whose
// name isn't UTF-8 stays reachable.
std::string HomePath() {
  const QByteArray home = qgetenv("HOME");
  return home.isEmpty() ? Cp932PathOf(QDir::homePath()) : Cp932FormOfName(NormalPath(home.toStdString()));
}

bool IsUnder(std::string_view path, std::string_view folder) {
  return folder == "/" || path == folder ||
         (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

QIcon PictureOf(TShellKind kind, bool open) {
  struct TPicture {
    const char* theme;
    const char* openTheme;
    QAbstractFileIconProvider::IconType fallback;
  };
  static constexpr std::array<TPicture, 6> kPictures = {{
      {"computer", "computer", QAbstractFileIconProvider::Computer},
      {"user-home", "user-home", QAbstractFileIconProvider::Folder},
      {"drive-harddisk", "drive-harddisk", QAbstractFileIconProvider::Drive},
      {"drive-removable-media", "drive-removable-media", QAbstractFileIconProvider::Drive},
      {"folder", "folder-open", QAbstractFileIconProvider::Folder},
      {"text-x-generic", "text-x-generic", QAbstractFileIconProvider::File},
  }};
  const TPicture& picture = kPictures[static_cast<size_t>(kind)];
  const QIcon provided = QFileIconProvider().icon(picture.fallback);
  if (!open) return QIcon::fromTheme(QString::fromLatin1(picture.theme), provided);
  // The provider's folder holds its open picture as the On state.
  return QIcon::fromTheme(QString::fromLatin1(picture.openTheme),
                          QIcon(provided.pixmap(kIconSize, QIcon::Normal, QIcon::On)));
}

}  // namespace

bool IsUserVolume(std::string_view rootPath, std::string_view fsType) {
  static constexpr std::string_view kSystemTypes[] = {
      "autofs", "binfmt_misc", "bpf",   "cgroup",     "cgroup2",    "configfs", "debugfs",
      "devpts", "devtmpfs",    "efivarfs", "fusectl", "hugetlbfs",  "mqueue",   "nsfs",
      "proc",   "pstore",      "ramfs", "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",
      "tmpfs",  "tracefs"};
  if (std::find(std::begin(kSystemTypes), std::end(kSystemTypes), fsType) != std::end(kSystemTypes))
    return false;
  for (std::string_view place : {"/media", "/run/media", "/mnt"})
    if (IsUnder(rootPath, place) && rootPath != "/media" && rootPath != "/run/media") return true;
  return false;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.ends_with('/')) path += '/';
  return path.append(name);
}

TShellItem TShellNamespace::Root() {
  return {TShellKind::Computer, Utf8ToCp932("コンピュータ"), std::string(), true, true};
}

std::vector<TShellItem> TShellNamespace::Places() {
  std::vector<TShellItem> places;
  const std::string home = HomePath();
  if (home != "/" && DirectoryExists(home))
    places.push_back({TShellKind::Home, Utf8ToCp932("ホーム"), home, true, true});
  places.push_back({TShellKind::FileSystemRoot, "/", "/", true, true});
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid()) continue;
    const std::string root = Cp932PathOf(volume.rootPath());
    if (!IsUserVolume(root, volume.fileSystemType().toStdString()) || root == home) continue;
    const std::string label = Cp932FormOfName(volume.name().toStdString());
    places.push_back({TShellKind::Volume, label.empty() ? PathParts(root).back() : label, root,
                      true, true});
  }
  return places;
}

std::optional<std::vector<TShellItem>> TShellNamespace::Children(const TShellItem& folder) {
  ++listingCount_;
  std::vector<TShellItem> items;
  if (folder.kind == TShellKind::Computer) {
    items = Places();
  } else {
    TFindHandle find;
    TFindData data;
    if (!folder.folder || !find.FindFirst(JoinPath(folder.path, "*"), data)) return std::nullopt;
    // A listing that fails half way keeps what it found, as an enumeration
    // that stops early does.
    do {
      if (data.cFileName == "." || data.cFileName == "..") continue;
      const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      items.push_back({isFolder ? TShellKind::Directory : TShellKind::File, data.cFileName,
                       JoinPath(folder.path, data.cFileName), isFolder, isFolder});
    } while (find.FindNext(data));
  }
  std::sort(items.begin(), items.end(),
            [](const TShellItem& a, const TShellItem& b) { return Compare(a, b) < 0; });
  return items;
}

std::optional<std::vector<TShellItem>> TShellNamespace::Parse(std::string_view cp932Path) const {
  if (!cp932Path.starts_with('/')) return std::nullopt;
  const std::string path = NormalPath(cp932Path);
  if (!DirectoryExists(path)) return std::nullopt;
  std::optional<TShellItem> place;
  for (TShellItem& candidate : Places())
    if (IsUnder(path, candidate.path) && (!place || candidate.path.size() > place->path.size()))
      place = std::move(candidate);
  if (!place) return std::nullopt;
  std::vector<TShellItem> chain{*place};
  const size_t placeParts = PathParts(place->path).size();
  const std::vector<std::string> parts = PathParts(path);
  for (size_t i = placeParts; i < parts.size(); ++i)
    chain.push_back({TShellKind::Directory, parts[i], JoinPath(chain.back().path, parts[i]), true, true});
  return chain;
}

int TShellNamespace::Compare(const TShellItem& a, const TShellItem& b) {
  if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
  if (const int byName = CompareWithoutCase(a.name, b.name)) return byName;
  if (const int byBytes = CompareBytes(a.name, b.name)) return byBytes;
  // Two volumes may carry one label.
  return CompareBytes(a.path, b.path);
}

bool TShellNamespace::IsGone(const TShellItem& item) {
  return item.kind != TShellKind::Computer && !DirectoryExists(item.path);
}

QIcon TShellNamespace::Icon(const TShellItem& item) {
  std::optional<QIcon>& cached = icons_[static_cast<size_t>(item.kind)];
  if (!cached) {
    QIcon icon;
    icon.addPixmap(PictureOf(item.kind, false).pixmap(kIconSize), QIcon::Normal);
    icon.addPixmap(PictureOf(item.kind, true).pixmap(kIconSize), QIcon::Selected);
    cached = icon;
  }
  return *cached;
}

}  // namespace tansa2::platform
