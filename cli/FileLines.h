#pragma once
// A file's lines read again as the search read them, for the lines around
// matches and the lines that don't match.
#include <string>
#include <vector>

namespace tansa2::cli {

// `raw`: the file's bytes split as the raw search splits them (none for a
// file that isn't text); else converted to Shift-JIS from `code` (kcAuto:
// detected). Throws what reading the file throws.
std::vector<std::string> ReadFileLines(const std::string& enginePath, bool raw, int code);

}  // namespace tansa2::cli
