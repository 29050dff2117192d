#pragma once
// The program names files by CP932 paths; the file system names them in
// UTF-8. Most names convert both ways unchanged. A name that CP932 can't hold
// (it lists as "?" in its place) is remembered when a listing hands it out,
// so the CP932 path built from it still opens the same file.
#include <string>
#include <string_view>

namespace tansa2::platform {

// The file-system path of a CP932 path.
std::string NativePath(std::string_view cp932Path);

// Called by the directory listing for an entry whose name does not survive
// the round trip: `cp932Path` is the path the listing hands out, `nativePath`
// the file system's own.
void RememberNativePath(std::string cp932Path, std::string nativePath);

}  // namespace tansa2::platform
