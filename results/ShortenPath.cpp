#include "results/ShortenPath.h"

namespace tansa2 {
namespace {

constexpr std::string_view kEllipsisDir = ".../";

// Replaces the first directory of `dir` (an earlier ".../" counts as none)
// by ".../", keeping a leading "/". A CP932 trail byte is never '/', so a
// plain search can't stop inside a character.
void CutFirstDirectory(std::string& dir) {
  if (dir == "/") {
    dir.clear();
    return;
  }
  const bool rooted = dir.front() == '/';
  if (rooted) dir.erase(0, 1);
  // Only a ".../" put in by an earlier step; a hidden directory such as
  // ".config/" is an ordinary directory here.
  if (dir.starts_with(kEllipsisDir)) dir.erase(0, kEllipsisDir.size());
  const size_t slash = dir.find('/');
  if (slash == std::string::npos) {
    dir.clear();
  } else {
    dir.erase(0, slash + 1);
    dir.insert(0, kEllipsisDir);
  }
  if (rooted) dir.insert(0, 1, '/');
}

}  // namespace

std::string ShortenPath(std::string_view path, int maxWidth,
                        const std::function<int(std::string_view)>& textWidth) {
  const size_t split = path.rfind('/');
  if (split == std::string_view::npos) return std::string(path);
  std::string dir(path.substr(0, split + 1));
  const std::string_view name = path.substr(split + 1);

  std::string result(path);
  while (!dir.empty() && textWidth(result) > maxWidth) {
    if (dir == "/.../")
      dir = kEllipsisDir;
    else
      CutFirstDirectory(dir);
    result = dir;
    result += name;
  }
  return result;
}

}  // namespace tansa2
