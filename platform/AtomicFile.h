#pragma once
// Files that are replaced whole: the settings file and the result history.
// A crash or a full disk during a write never leaves a half file under the
// real name: the bytes go to a temporary file in the same folder, are
// flushed, and the temporary file is renamed over the real one.
#include <string>
#include <string_view>

namespace tansa2::platform {

// Replaces the file at the CP932 path `cp932Path` with `bytes`. Throws
// EInOutError (platform/FileIO.h) naming the file and the system's reason;
// the old file is then untouched and no temporary file is left behind.
void WriteFileAtomically(const std::string& cp932Path, std::string_view bytes);

}  // namespace tansa2::platform
