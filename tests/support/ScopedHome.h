#pragma once
// HOME, where the home folder is looked up, points into a test's folder
// while the object lives.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace tansa2::testing {

class TScopedHome {
 public:
  explicit TScopedHome(const std::filesystem::path& home) {
    if (const char* saved = std::getenv("HOME")) saved_ = saved;
    std::filesystem::create_directories(home);
    setenv("HOME", home.c_str(), 1);
  }
  ~TScopedHome() {
    if (saved_) setenv("HOME", saved_->c_str(), 1);
    else unsetenv("HOME");
  }
  TScopedHome(const TScopedHome&) = delete;
  TScopedHome& operator=(const TScopedHome&) = delete;

 private:
  std::optional<std::string> saved_;
};

}  // namespace tansa2::testing
