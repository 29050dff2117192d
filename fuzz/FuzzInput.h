#pragma once
// What the fuzz targets share: the input as text, split into items, and a
// scratch file for the readers that only take a file name.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tansa2::fuzz {

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at each `separator`; NUL bytes are dropped, since no list
// item can hold one.
inline std::vector<std::string> SplitItems(std::string_view text, char separator) {
  std::vector<std::string> items(1);
  for (char c : text) {
    if (c == separator) {
      items.emplace_back();
    } else if (c != '\0') {
      items.back() += c;
    }
  }
  return items;
}

// One file per fuzzing process, rewritten for each input and removed at
// exit; in memory where there is a memory file system, as rewriting a disk
// file costs more than the run it feeds.
inline const std::string& ScratchFile(std::string_view content) {
  struct TScratch {
    std::string path = std::string(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") +
                       "/tansa2-fuzz-" + std::to_string(getpid()) + ".txt";
    ~TScratch() { std::remove(path.c_str()); }
  };
  static const TScratch scratch;
  std::ofstream(scratch.path, std::ios::binary | std::ios::trunc).write(content.data(), content.size());
  return scratch.path;
}

// A broken invariant is a finding: abort so that libFuzzer keeps the input.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace tansa2::fuzz
