#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

namespace tansa2::platform {
namespace {

TEST(SystemErrorTest, GivesTheSystemsText) {
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(SystemErrorText(123456), "Unknown error 123456");
}

// Texts the system has to build (unknown numbers) are where a shared buffer
// would mix up the threads' messages.
TEST(SystemErrorTest, ThreadsAskingAtOnceEachGetTheirOwnText) {
  std::vector<std::thread> threads;
  std::vector<int> mixedUp(8, 0);
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([t, &mixedUp] {
      const int error = 100000 + t;
      const std::string expected = "Unknown error " + std::to_string(error);
      for (int i = 0; i < 20000; ++i)
        if (SystemErrorText(error) != expected) ++mixedUp[static_cast<size_t>(t)];
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mixedUp, std::vector<int>(8, 0));
}

}  // namespace
}  // namespace tansa2::platform
