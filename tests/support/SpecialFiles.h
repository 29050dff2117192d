#pragma once
// Entries a search must pass by without reading: a FIFO, whose open would
// wait for a writer, and a bound UNIX socket, which can't be opened at all.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace tansa2::testing {

class TSpecialFiles {
 public:
  TSpecialFiles(const std::filesystem::path& fifo, const std::filesystem::path& socketPath) {
    EXPECT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    EXPECT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, std::min(path.size(), sizeof address.sun_path - 1));
    EXPECT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }
  ~TSpecialFiles() { close(socket_); }
  TSpecialFiles(const TSpecialFiles&) = delete;
  TSpecialFiles& operator=(const TSpecialFiles&) = delete;

 private:
  int socket_ = socket(AF_UNIX, SOCK_STREAM, 0);
};

}  // namespace tansa2::testing
