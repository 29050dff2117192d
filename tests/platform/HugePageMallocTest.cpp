#include "platform/HugePageMalloc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tansa2::platform {
namespace {

TEST(HugePageMallocTest, RestartsOnlyWhereHugePagesMustBeAskedFor) {
  const struct {
    const char* tunables;
    const char* thpMode;
    const char* libcVersion;
    bool gains;
  } cases[] = {
      {nullptr, "always [madvise] never\n", "2.36", true},
      {nullptr, "always [madvise] never\n", "2.35", true},
      {nullptr, "always [madvise] never\n", "3.0", true},
      {nullptr, "[always] madvise never\n", "2.36", false},  // every large block gets them anyway
      {nullptr, "always madvise [never]\n", "2.36", false},
      {nullptr, "", "2.36", false},                          // no huge pages at all
      {nullptr, "always [madvise] never\n", "2.34", false},  // the tunable is unknown there
      {nullptr, "always [madvise] never\n", "", false},
      {"glibc.malloc.arena_max=2", "always [madvise] never\n", "2.36", false},  // the user's own
      {"glibc.malloc.hugetlb=1", "always [madvise] never\n", "2.36", false},    // restarted already
  };
  for (const auto& c : cases)
    EXPECT_EQ(HugePageRestartGains(c.tunables, c.thpMode, c.libcVersion), c.gains)
        << (c.tunables ? c.tunables : "(none)") << " | " << c.thpMode << " | " << c.libcVersion;
}

// The restarted program gives the programs it starts the environment it was
// started with; a user's own tunables stay.
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
