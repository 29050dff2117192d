// Loads a result-history entry of 100,000 rows, as Back and Forward do, and
// reports the median of several loads. Target: under one second.
//   history_bench [ROWS] [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "session/GrepHistory.h"

int main(int argc, char** argv) {
  using namespace tansa2;
  using Clock = std::chrono::steady_clock;
  const int rowCount = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

  const std::filesystem::path tmp =
      std::filesystem::temp_directory_path() / ("tansa2-history-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(tmp);

  // Rows like those of a search of Japanese text: long paths, lines of 60 to
  // 120 bytes, some with commas and quotes that the comma text must quote.
  const std::string text = platform::Utf8ToCp932(
      "東京都の区部は二十三区からなり、それぞれが特別区として独自の区議会と区長を持つ。");
  TGrepResultRows rows;
  for (int i = 0; i < rowCount; ++i) {
    std::string line = text.substr(0, 60 + (i * 7) % 60);
    if (i % 5 == 0) line += ", \"quoted\"";
    rows.AddData({"/home/user/documents/corpus/dir" + std::to_string(i % 97) + "/file" +
                     std::to_string(i % 1013) + ".txt",
                 i % 5000 + 1, line, 1 + i % 40, 4});
  }
  TGrepParam param;
  param.GrepStr = platform::Utf8ToCp932("東京");
  param.GrepDir = "/home/user/documents/corpus";
  param.FileMask = "*.txt";
  StoreHistoryEntry(tmp.string(), 1, param, rows);
  const auto fileSize = std::filesystem::file_size(tmp / "GrepResult.1");

  std::vector<double> times;
  int loaded = 0;
  for (int run = 0; run < runs; ++run) {
    const Clock::time_point start = Clock::now();
    const TGrepParam read = LoadHistoryParam(tmp.string(), 1);
    TGrepResultRows list;
    list.LoadFromFile(GrepResultFileName(tmp.string(), 1));
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    loaded = list.DataCount() + (read.GrepStr.empty() ? 1 : 0);
  }
  std::filesystem::remove_all(tmp);
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  const bool ok = loaded == rowCount && median < 1000.0;
  std::printf("rows %d, file %.1f MB, load median %.1f ms (min %.1f, max %.1f) over %d runs: %s\n", loaded,
              static_cast<double>(fileSize) / 1e6, median, times.front(), times.back(), runs,
              ok ? "ok (< 1000 ms)" : "FAILED");
  return ok ? 0 : 1;
}
