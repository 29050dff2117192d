#pragma once
// Matches a pattern that is one run of plain characters without the
// regular-expression library: its first match in a line is the first place
// its bytes occur that begins a Shift-JIS character.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tansa2 {

class TPlainMatch {
 public:
  // Nothing unless the library would match `pattern` exactly so.
  static std::optional<TPlainMatch> Of(const std::string& pattern);

  // 0-based byte offset of the first match in `line`, or npos.
  size_t Find(std::string_view line) const;
  int Length() const { return static_cast<int>(bytes_.size()); }

 private:
  explicit TPlainMatch(std::string bytes) : bytes_(std::move(bytes)) {}
  std::string bytes_;
};

}  // namespace tansa2
