// How fast the directory tree opens a large folder and a deep path, on
// folders it makes in a scratch directory. Prints each time with its target
// and exits 1 when a target is missed.
//   dir_tree_bench [ROUNDS]   (default 5; the median of the rounds counts)
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

#include "dirpanel/ui/KyFlatDirView.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using tansa2::TKyFlatDirView;

constexpr int kWideCount = 10000;
constexpr int kDeepLevels = 30;
constexpr double kWideTargetMs = 500;
constexpr double kDeepTargetMs = 100;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QTreeWidgetItem* NodeOf(TKyFlatDirView& view, const std::string& path) {
  for (QTreeWidgetItemIterator it(&view); *it; ++it)
    if (TKyFlatDirView::GetNodeDir(*it) == path) return *it;
  return nullptr;
}

// The tree is open at the folder's parent; the time runs from the click on
// the expand button to the first picture of the opened folder.
double ExpandWide(const fs::path& wide) {
  TKyFlatDirView view;
  view.resize(300, 600);
  view.show();
  view.Rebuild();
  view.SetSelectedDir(wide.parent_path().string());
  QApplication::processEvents();
  QTreeWidgetItem* node = NodeOf(view, wide.string());
  if (!node) return -1;
  const Clock::time_point start = Clock::now();
  node->setExpanded(true);
  view.repaint();
  const double ms = MsSince(start);
  return node->childCount() == kWideCount ? ms : -1;
}

// A window starting with a deep folder: the tree made, filled, the folder
// selected and drawn.
double SelectDeep(const fs::path& deep) {
  const Clock::time_point start = Clock::now();
  TKyFlatDirView view;
  view.resize(300, 600);
  view.show();
  view.Rebuild();
  view.SetSelectedDir(deep.string());
  view.repaint();
  const double ms = MsSince(start);
  return view.GetSelectedDir() == deep.string() ? ms : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

bool Report(const char* what, const std::vector<double>& times, double targetMs) {
  if (std::find(times.begin(), times.end(), -1) != times.end()) {
    std::printf("%-42s FAILED: the tree did not show the folders\n", what);
    return false;
  }
  const double median = Median(times);
  const bool met = median < targetMs;
  std::printf("%-42s median %7.1f ms, slowest %7.1f ms, target < %.0f ms: %s\n", what, median,
              *std::max_element(times.begin(), times.end()), targetMs, met ? "met" : "MISSED");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  const fs::path scratch = fs::temp_directory_path() / ("tansa2-tree-bench-" + std::to_string(getpid()));
  fs::remove_all(scratch);
  const fs::path wide = scratch / "wide";
  for (int i = 0; i < kWideCount; ++i) fs::create_directories(wide / ("folder" + std::to_string(i)));
  fs::path deep = scratch / "deep";
  for (int i = 0; i < kDeepLevels; ++i) deep /= "level" + std::to_string(i);
  fs::create_directories(deep);

  std::vector<double> wideTimes, deepTimes;
  for (int round = 0; round < rounds; ++round) {
    wideTimes.push_back(ExpandWide(wide));
    deepTimes.push_back(SelectDeep(deep));
  }
  fs::remove_all(scratch);

  const bool wideMet = Report("expand a folder of 10,000 sub-folders", wideTimes, kWideTargetMs);
  const bool deepMet = Report("start with a 30-level path selected", deepTimes, kDeepTargetMs);
  return wideMet && deepMet ? 0 : 1;
}
