// Cancels a whole search at random moments, from the owner's message pump
// as the window does, while the workers are inside files.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "session/GrepRun.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

TEST(GrepRunCancelTest, ACancelAtAnyTurnOfThePumpEndsTheRunCancelled) {
  testing::TTempDir dir;
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "hit " + std::to_string(i) + "\n";
  for (int d = 0; d < 4; ++d)
    for (int f = 0; f < 10; ++f) dir.Write("d" + std::to_string(d) + "/f" + std::to_string(f) + ".txt", text);

  struct : TGrepSink {
    bool Matched(const TGrepHit&) override { return true; }
    bool FileFailed(const TGrepFileError&) override { return true; }
  } sink;
  TGrepRun run(sink);
  TGrepParam param;
  param.GrepStr = "hit";
  param.GrepDir = dir.String();
  param.FileMask = "*.txt,*.*";
  param.SubDir = true;
  param.AutoCode = true;
  ASSERT_EQ(CheckGrepInput(param), TGrepField::None);
  int turns = 0;
  int cancelAt = 0;
  run.SetProcessMessages([&] {
    if (++turns == cancelAt) run.Cancel();
  });
  run.Prepare(param);
  ASSERT_EQ(run.SearchMasks(param.FileMask), 0u);
  const int allTurns = turns;
  const int allHits = run.HitCount();
  ASSERT_EQ(allHits, 2 * 40 * 3000);

  std::mt19937 random(15);
  std::uniform_int_distribution<int> turn(1, allTurns);
  for (int i = 0; i < 40; ++i) {
    turns = 0;
    cancelAt = turn(random);
    run.Prepare(param);
    ASSERT_EQ(run.SearchMasks(param.FileMask), 1223u) << "cancelled at turn " << cancelAt;
  }
}

}  // namespace
}  // namespace tansa2
