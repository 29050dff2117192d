#pragma once
// Searching one file: read it raw or convert it to Shift-JIS, then match
// its lines. Safe to run on several threads, each with its own matcher.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/LineMatcher.h"

namespace tansa2 {

// A file to search: its name and, when a listing gave it, its size; a file
// of `sizeLimit` bytes or more is not searched.
struct TFileToSearch {
  std::string name;
  std::optional<uint64_t> listedSize;
  uint64_t sizeLimit = UINT64_MAX;
};

// Returns the number of matching lines, or nothing when the file was found
// over its size limit once opened. Raw mode skips a file that isn't text.
// Throws platform::EFOpenError for a file that can't be opened. `code` is
// the code a converted file is read in, kcAuto to detect it.
std::optional<int> SearchFile(const TFileToSearch& file, bool autoCode, int code, TLineMatcher& matcher,
                              const TLineMatcher::TOnLine& onLine, const std::atomic<bool>& cancel);

}  // namespace tansa2
