#include "platform/HugePageMalloc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tansa2::platform {
namespace {

TEST(HugePageMallocTest, RestartsOnlyWhereHugePagesMustBeAskedFor) {
  const struct {
    const char* thpMode;
    const char* libcVersion;
    bool gains;
  } cases[] = {
      {"always [madvise] never\n", "2.36", true},
      {"always [madvise] never\n", "2.35", true},
      {"always [madvise] never\n", "3.0", true},
      {"[always] madvise never\n", "2.36", false},  // every large block gets them anyway
      {"always madvise [never]\n", "2.36", false},
      {"", "2.36", false},                          // no huge pages at all
      {"always [madvise] never\n", "2.34", false},  // the tunable is unknown there
      {"always [madvise] never\n", "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HugePageRestartGains(c.thpMode, c.libcVersion), c.gains) << c.thpMode << " | " << c.libcVersion;
}

// The restarted program gives the programs it starts the environment it was
// started with. With tunables of the user's own, or with its own already, the
// program isn't started again (here that would start the test again), and a
// user's own stay.
TEST(HugePageMallocTest, TheRestartedProgramTakesItsTunableOutOfTheEnvironment) {
  char* argv[] = {nullptr};
  setenv("GLIBC_TUNABLES", std::string(kHugePageTunable).c_str(), 1);
  UseHugePageMalloc(argv);
  EXPECT_EQ(std::getenv("GLIBC_TUNABLES"), nullptr);

  setenv("GLIBC_TUNABLES", "glibc.malloc.arena_max=2", 1);
  UseHugePageMalloc(argv);
  EXPECT_STREQ(std::getenv("GLIBC_TUNABLES"), "glibc.malloc.arena_max=2");
  unsetenv("GLIBC_TUNABLES");
}

}  // namespace
}  // namespace tansa2::platform
