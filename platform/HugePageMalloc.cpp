#include "platform/HugePageMalloc.h"

#include <gnu/libc-version.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tansa2::platform {
namespace {

constexpr const char* kTunablesVariable = "GLIBC_TUNABLES";

bool AtLeast(std::string_view version, int major, int minor) {
  int haveMajor = 0;
  int haveMinor = 0;
  if (std::sscanf(std::string(version).c_str(), "%d.%d", &haveMajor, &haveMinor) != 2) return false;
  return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

std::string ThpMode() {
  std::ifstream file("/sys/kernel/mm/transparent_hugepage/enabled");
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

bool HugePageRestartGains(std::string_view thpMode, std::string_view libcVersion) {
  return thpMode.find("[madvise]") != std::string_view::npos && AtLeast(libcVersion, 2, 35);
}

void UseHugePageMalloc(char** argv) {
  // Tunables of the user's own are left as they are, and with them malloc.
  if (const char* tunables = std::getenv(kTunablesVariable)) {
    // Ours, read by now: the programs this one starts run as they would have.
    if (tunables == kHugePageTunable) unsetenv(kTunablesVariable);
    return;
  }
  if (!HugePageRestartGains(ThpMode(), gnu_get_libc_version())) return;
  // The file by its own name, not as /proc/self/exe: the process is known by
  // the name it is started under (ps, top, pkill).
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return;
  setenv(kTunablesVariable, std::string(kHugePageTunable).c_str(), 1);
  execv(program.c_str(), argv);
  unsetenv(kTunablesVariable);  // not restarted: go on as before
}

}  // namespace tansa2::platform
