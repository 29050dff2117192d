#pragma once
// Every match in a line, where the search reports only the first.
#include <string>
#include <string_view>
#include <vector>

#include "cli/FileReport.h"
#include "engine/BRegExp.h"

namespace tansa2::cli {

class TLineMatches {
 public:
  explicit TLineMatches(std::string pattern) : pattern_(std::move(pattern)) {}
  // The matches of `line` from its first, which the search found at
  // `first`; each later one is looked for after the one before. An empty
  // match moves on by one character.
  std::vector<TSpan> All(std::string_view line, TSpan first);

 private:
  std::string pattern_;
  TBRegExp regExp_;
};

}  // namespace tansa2::cli
