// Cancels from another thread at random moments while the workers are
// inside files: every run must end, and end cancelled.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/KyGrep.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

class KyGrepCancelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "a line with a hit in it " + std::to_string(i) + "\n";
    for (int i = 0; i < 12; ++i) files_.push_back(dir_.Write("f" + std::to_string(i) + ".txt", text));
    grep_.RegExp = "m/hit/k";
    grep_.AutoCode = true;
    grep_.OnMatch = [](TKyGrep&, const TGrepHit&) {};
  }

  // Runs the queue while another thread cancels `delay` after the run's
  // first file; what the queue throws ends the run as it would end a search.
  void RunCancelledAfter(std::chrono::microseconds delay, const std::vector<std::string>& files) {
    std::thread canceller;
    try {
      for (const std::string& file : files) {
        grep_.QueueFile(file);
        if (!canceller.joinable())
          canceller = std::thread([&] {
            std::this_thread::sleep_for(delay);
            grep_.Cancel();
          });
      }
      grep_.FinishQueue();
    } catch (const std::exception&) {
    }
    if (!canceller.joinable()) grep_.Cancel();  // the first file failed at once
    else canceller.join();
  }

  testing::TTempDir dir_;
  std::vector<std::string> files_;
  TKyGrep grep_;
  std::mt19937 random_{15};
};

TEST_F(KyGrepCancelTest, EveryRunEndsCancelled) {
  std::uniform_int_distribution<int> delay(0, 3000);
  for (int run = 0; run < 60; ++run) {
    RunCancelledAfter(std::chrono::microseconds(delay(random_)), files_);
    ASSERT_TRUE(grep_.Canceled()) << "run " << run;
  }
}

// A file that can't be opened ends the run, and the queue behind it is
// dropped while workers are still inside its files: a cancel that comes
// during the drop must not be undone when the drop is over.
TEST_F(KyGrepCancelTest, ACancelDuringTheDropAfterAnErrorIsKept) {
  std::vector<std::string> files = files_;
  files.insert(files.begin(), dir_.String() + "/missing.txt");
  std::uniform_int_distribution<int> delay(0, 1500);
  for (int run = 0; run < 100; ++run) {
    RunCancelledAfter(std::chrono::microseconds(delay(random_)), files);
    ASSERT_TRUE(grep_.Canceled()) << "run " << run;
  }
}

}  // namespace
}  // namespace tansa2
