#pragma once
// Standard output through one buffer: program text (CP932) converted to
// UTF-8 on the way, or left as Shift-JIS when asked; names as the file
// system spells them; colours as grep and ripgrep paint.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "cli/Options.h"

namespace tansa2::cli {

// Escape sequences, all empty when nothing is coloured.
struct TColors {
  const char* path = "";
  const char* lineNum = "";
  const char* column = "";
  const char* match = "";
};

TColors ColorsFor(TWhen when);

class TOutput {
 public:
  explicit TOutput(bool sjis);
  ~TOutput() { Flush(); }
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;

  bool Sjis() const { return sjis_; }
  // Program text, converted unless Shift-JIS was asked for.
  void Text(std::string_view cp932);
  // Bytes written as they are (ASCII, native names, JSON already encoded).
  void Bytes(std::string_view bytes);
  void Painted(const char* color, std::string_view cp932);
  // A path as the file system spells it.
  void Path(const char* color, std::string_view nativePath);
  void EndLine();
  void Flush();

  // The text as it would be printed.
  std::string Converted(std::string_view cp932) const;

 private:
  char* Room(size_t size);

  bool sjis_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
  size_t used_ = 0;
};

}  // namespace tansa2::cli
