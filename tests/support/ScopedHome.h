#pragma once
// HOME, where the home folder is looked up, points into a test's folder
// while the object lives.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tansa2::testing {

class TScopedHome {
 public:
  explicit TScopedHome(const std::filesystem::path& home) {
    if (const char* saved = std::getenv("HOME")) saved_ = saved;
    std::filesystem::create_directories(home);
    setenv("HOME", home.c_str(), 1);
  }
  ~TScopedHome() { setenv("HOME", saved_.c_str(), 1); }
  TScopedHome(const TScopedHome&) = delete;
  TScopedHome& operator=(const TScopedHome&) = delete;

 private:
  std::string saved_;
};

}  // namespace tansa2::testing
