#include "cli/LineMatches.h"

#include "platform/CodePage.h"

namespace tansa2::cli {

std::vector<TSpan> TLineMatches::All(std::string_view line, TSpan first) {
  std::vector<TSpan> spans{first};
  size_t from = first.end;
  if (first.end == first.begin) from += first.begin < line.size() && platform::IsDBCSLeadByte(line[first.begin]) ? 2 : 1;
  while (from < line.size()) {
    if (regExp_.Match(pattern_, line.substr(from)) <= 0) break;
    const size_t begin = from + regExp_.MatchPos() - 1;
    const size_t end = begin + regExp_.MatchLen();
    if (end > line.size()) break;
    spans.push_back({begin, end});
    from = end;
    if (end == begin) from += platform::IsDBCSLeadByte(line[begin]) ? 2 : 1;
  }
  return spans;
}

}  // namespace tansa2::cli
