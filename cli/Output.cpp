#include "cli/Output.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/CodePage.h"

namespace tansa2::cli {
namespace {

// Written out at the first line end past this size: lines reach a reader
// soon, and writes of a megabyte measured no cheaper.
constexpr size_t kFlushSize = size_t{1} << 16;
constexpr char kReset[] = "\033[0m";

}  // namespace

TColors ColorsFor(TWhen when) {
  bool on = when == TWhen::Always;
  if (when == TWhen::Auto) {
    const char* term = std::getenv("TERM");
    on = isatty(STDOUT_FILENO) && term && std::string_view(term) != "dumb";
  }
  if (!on) return {};
  return {"\033[0m\033[35m", "\033[0m\033[32m", "\033[0m", "\033[0m\033[1m\033[31m"};
}

TOutput::TOutput(bool sjis)
    : sjis_(sjis), buffer_(std::make_unique_for_overwrite<char[]>(kFlushSize * 2)), capacity_(kFlushSize * 2) {}

char* TOutput::Room(size_t size) {
  if (used_ + size > capacity_) {
    Flush();
    if (size > capacity_) {
      capacity_ = size;
      buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
    }
  }
  return buffer_.get() + used_;
}

void TOutput::Text(std::string_view cp932) {
  if (sjis_) return Bytes(cp932);
  char* at = Room(platform::Cp932ToUtf8Room(cp932.size()));
  used_ = static_cast<size_t>(platform::Cp932ToUtf8(cp932, at) - buffer_.get());
}

void TOutput::Bytes(std::string_view bytes) {
  used_ = static_cast<size_t>(std::copy(bytes.begin(), bytes.end(), Room(bytes.size())) - buffer_.get());
}

void TOutput::Painted(const char* color, std::string_view cp932) {
  if (*color == '\0') return Text(cp932);
  Bytes(color);
  Text(cp932);
  Bytes(kReset);
}

void TOutput::Path(const char* color, std::string_view nativePath) {
  Bytes(color);
  Bytes(nativePath);
  if (*color != '\0') Bytes(kReset);
}

void TOutput::EndLine() {
  Bytes("\n");
  if (used_ >= kFlushSize) Flush();
}

void TOutput::Flush() {
  std::fwrite(buffer_.get(), 1, used_, stdout);
  std::fflush(stdout);
  used_ = 0;
}

std::string TOutput::Converted(std::string_view cp932) const {
  return sjis_ ? std::string(cp932) : platform::Cp932ToUtf8(cp932);
}

}  // namespace tansa2::cli
