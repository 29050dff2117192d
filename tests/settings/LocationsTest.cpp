#include "settings/Locations.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

// Sets or clears an environment variable for one test.
class TEnvironmentVariable {
 public:
  TEnvironmentVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~TEnvironmentVariable() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Without a logon name the files lie in the program folder itself.
std::string LogonName() {
  const passwd* user = getpwuid(geteuid());
  return user != nullptr ? user->pw_name : "";
}

std::string ProfileFolder(const std::string& programFolder) {
  return LogonName().empty() ? programFolder : programFolder + LogonName() + "/";
}

TEST(LocationsTest, HomeHoldsOneFolderPerUserUntilAllUsersExists) {
  testing::TTempDir home;
  const TEnvironmentVariable variable("TANSA2_HOME", home.String().c_str());
  const std::string root = home.String() + "/";
  const std::string user = LogonName();
  const std::string folder = ProfileFolder(root);

  EXPECT_EQ(GetProgramFolder(), root);
  EXPECT_EQ(GetProfileName(), user);
  EXPECT_EQ(GetIniFileName(), folder + "tansa2.ini");
  EXPECT_TRUE(std::filesystem::is_directory(folder)) << "made when the path is asked for";
  EXPECT_FALSE(std::filesystem::exists(folder + "tansa2.ini"));
  EXPECT_EQ(GetTmpDir(), folder + "Tmp");
  EXPECT_TRUE(std::filesystem::is_directory(folder + "Tmp"));

  std::filesystem::create_directory(root + "allusers");
  EXPECT_EQ(GetProfileName(), "allusers");
  EXPECT_EQ(GetIniFileName(), root + "allusers/tansa2.ini");
  EXPECT_EQ(GetTmpDir(), root + "allusers/Tmp");
  EXPECT_TRUE(std::filesystem::is_directory(root + "allusers/Tmp"));

  // A plain file of that name doesn't count.
  std::filesystem::remove_all(root + "allusers");
  home.Write("allusers", "");
  EXPECT_EQ(GetProfileName(), user);
}

TEST(LocationsTest, MissingHomeIsMadeWithItsParents) {
  testing::TTempDir dir;
  const std::string home = dir.String() + "/a/b/";
  const TEnvironmentVariable variable("TANSA2_HOME", home.c_str());
  EXPECT_EQ(GetProgramFolder(), home);
  EXPECT_EQ(GetIniFileName(), ProfileFolder(home) + "tansa2.ini");
  EXPECT_TRUE(std::filesystem::is_directory(ProfileFolder(home)));
}

TEST(LocationsTest, WithoutHomeTheProgramFolderIfWritableElseTheConfigurationFolder) {
  const TEnvironmentVariable home("TANSA2_HOME", nullptr);
  const TEnvironmentVariable config("XDG_CONFIG_HOME", "/nonexistent/config");
  const std::string exeFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
  EXPECT_EQ(GetProgramFolder(),
            access(exeFolder.c_str(), W_OK) == 0 ? exeFolder : "/nonexistent/config/tansa2/");
}

// A program installed where its user can't write keeps the settings in the
// user's configuration folder. Root writes everywhere: a child gives it up.
TEST(LocationsTest, ReadOnlyProgramFolderGivesTheConfigurationFolder) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become a user without write rights";
  const TEnvironmentVariable home("TANSA2_HOME", nullptr);
  const TEnvironmentVariable config("XDG_CONFIG_HOME", "/nonexistent/config");
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const std::string exeFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
    if (access(exeFolder.c_str(), W_OK) == 0) _exit(3);
    _exit(GetProgramFolder() == "/nonexistent/config/tansa2/" ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "the program folder is open to every user";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(LocationsTest, EmptyHomeCountsAsUnset) {
  const TEnvironmentVariable empty("TANSA2_HOME", "");
  const std::string withEmpty = GetProgramFolder();
  const TEnvironmentVariable unset("TANSA2_HOME", nullptr);
  EXPECT_EQ(withEmpty, GetProgramFolder());
}

}  // namespace
}  // namespace tansa2
