#include "settings/Locations.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "platform/NameForm.h"

namespace tansa2 {
namespace {

const char* Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string FromNative(const std::string& native) { return platform::Cp932FormOfName(native); }

std::string ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : WithSeparator(exe.parent_path().string());
}

std::string ConfigFolder() {
  if (const char* config = Environment("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
    return WithSeparator(config) + "tansa2/";
  const char* home = Environment("HOME");
  if (home == nullptr) {
    const passwd* user = getpwuid(geteuid());
    home = user != nullptr ? user->pw_dir : "/tmp";
  }
  return WithSeparator(home) + ".config/tansa2/";
}

// Missing folders are made on the way; one that can't be made shows up
// when the file inside it is written.
std::string CreatedFolder(const std::string& cp932Folder) {
  std::error_code ignored;
  std::filesystem::create_directories(platform::NativePath(cp932Folder), ignored);
  return cp932Folder;
}

// <program folder>/<profile>/, or the program folder alone without a profile.
std::string ProfileFolder() {
  const std::string profile = GetProfileName();
  return GetProgramFolder() + (profile.empty() ? "" : profile + "/");
}

}  // namespace

std::string GetProgramFolder() {
  if (const char* home = Environment("TANSA2_HOME")) return FromNative(WithSeparator(home));
  const std::string exeFolder = ExecutableFolder();
  if (!exeFolder.empty() &&
      (access(exeFolder.c_str(), W_OK) == 0 ||
       std::filesystem::is_directory(exeFolder + "allusers")))
    return FromNative(exeFolder);
  return FromNative(ConfigFolder());
}

std::string GetProfileName() {
  if (platform::DirectoryExists(GetProgramFolder() + "allusers")) return "allusers";
  const passwd* user = getpwuid(geteuid());
  return user != nullptr && user->pw_name != nullptr ? FromNative(user->pw_name) : std::string();
}

std::string GetIniFileName() {
  return CreatedFolder(ProfileFolder()) + "tansa2.ini";
}

std::string GetTmpDir() {
  return CreatedFolder(ProfileFolder() + "Tmp");
}

}  // namespace tansa2
