#include "platform/OneCallRead.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/TempDir.h"

namespace tansa2::platform {
namespace {

using TOutcome = TOneCallRead::TOutcome;

class OneCallReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TReadBuffer buffer;
    if (ReadInOneCall(dir_.Write("probe", "x"), buffer, std::nullopt, UINT64_MAX).outcome != TOutcome::Read)
      GTEST_SKIP() << "no io_uring here: every file is read the ordinary way";
  }
  testing::TTempDir dir_;
};

// What is read in one call is the whole file; anything that might not be
// is left to the ordinary reading, which then reads it whole.
TEST_F(OneCallReadTest, ReadsAFileOnlyWhenItEndsWithinTheRoom) {
  const std::string big(300000, 'b');
  struct TCase {
    const char* what;
    std::string text;
    std::optional<uint64_t> listedSize;
    uint64_t sizeLimit;
    TOutcome outcome;
  } cases[] = {
      {"a small file", "日本語\n", std::nullopt, UINT64_MAX, TOutcome::Read},
      {"an empty file", "", std::nullopt, UINT64_MAX, TOutcome::Read},
      {"a file longer than a fresh room", big, std::nullopt, UINT64_MAX, TOutcome::NotRead},
      {"the same listed with its size", big, big.size(), UINT64_MAX, TOutcome::Read},
      {"listed shorter than it has grown", big, 10, UINT64_MAX, TOutcome::NotRead},
      {"listed longer than it has shrunk", "abc", 5000, UINT64_MAX, TOutcome::Read},
      {"one byte under the size limit", "abcd", std::nullopt, 5, TOutcome::Read},
      {"exactly the size limit", "abcde", std::nullopt, 5, TOutcome::OverLimit},
      {"far over the size limit", big, std::nullopt, 5, TOutcome::OverLimit},
      {"a limit of nothing", "", std::nullopt, 0, TOutcome::OverLimit},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TReadBuffer buffer;
    const TOneCallRead read = ReadInOneCall(dir_.Write("f.txt", c.text), buffer, c.listedSize, c.sizeLimit);
    EXPECT_EQ(read.outcome, c.outcome);
    if (read.outcome == TOutcome::Read) EXPECT_EQ(read.text, c.text);
    // Not read whole, what was taken of it is its beginning.
    if (read.outcome == TOutcome::NotRead) EXPECT_TRUE(c.text.starts_with(read.text));
  }
}

TEST_F(OneCallReadTest, LeavesWhatCantBeOpenedOrReadToTheOrdinaryReading) {
  TReadBuffer buffer;
  EXPECT_EQ(ReadInOneCall(dir_.String() + "/missing", buffer, std::nullopt, UINT64_MAX).outcome, TOutcome::NotRead);
  EXPECT_EQ(ReadInOneCall(dir_.String(), buffer, std::nullopt, UINT64_MAX).outcome, TOutcome::NotRead);
  // The ring goes on reading after a failure: nothing of it is left over.
  EXPECT_EQ(ReadInOneCall(dir_.Write("after", "after"), buffer, std::nullopt, UINT64_MAX).text, "after");
}

// A FIFO without a writer must not hold the search up.
TEST_F(OneCallReadTest, AFifoWithoutAWriterIsEmpty) {
  const std::string fifo = dir_.String() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  TReadBuffer buffer;
  const TOneCallRead read = ReadInOneCall(fifo, buffer, std::nullopt, UINT64_MAX);
  EXPECT_NE(read.outcome, TOutcome::OverLimit);
  EXPECT_EQ(read.text, "");
}

}  // namespace
}  // namespace tansa2::platform
