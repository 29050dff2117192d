#pragma once
// A scratch directory for one test, removed with everything in it.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace tansa2::testing {

class TTempDir {
 public:
  TTempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("tansa2-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string String() const { return path_.string(); }

  // Writes `bytes` to the relative path `name`, creating its folders.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tansa2::testing
