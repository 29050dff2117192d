#pragma once
// Searching one file: read it raw or convert it to Shift-JIS, then match
// its lines. Safe to run on several threads, each with its own matcher.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/LineMatcher.h"

namespace tansa2 {

// Returns the number of matching lines. Raw mode skips a file that isn't
// text. Throws platform::EFOpenError for a file that can't be opened.
// `listedSize` is the file's size in the listing it was found in, if any;
// `code` the code a converted file is read in, kcAuto to detect it.
int SearchFile(const std::string& fileName, std::optional<uint64_t> listedSize, bool autoCode, int code,
               TLineMatcher& matcher, const TLineMatcher::TOnLine& onLine,
               const std::atomic<bool>& cancel);

}  // namespace tansa2
