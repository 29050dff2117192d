// Any pattern turned into the automaton's byte form: the automaton never
// misses a line the library matches, with the anchors kept (text without
// CR) and dropped; and the run of characters the pattern requires lies in
// every line the library matches (where the match begins, when the run is
// said to begin every match). The input is the pattern body, a NUL, then
// the text.
#include <optional>
#include <string>

#include "engine/BRegExp.h"
#include "engine/CharRunFinder.h"
#include "engine/PrefilterFinder.h"
#include "engine/PrefilterPattern.h"
#include "fuzz/FuzzInput.h"
#include "tests/support/PlainReading.h"

using namespace tansa2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  const size_t split = input.find('\0');
  if (split == std::string_view::npos || split == 0) return 0;
  const std::string body(input.substr(0, split));
  const std::string_view rest = input.substr(split + 1);
  const bool ignoreCase = !rest.empty() && (rest[0] & 1) != 0;
  if (body.find('/') != std::string::npos) return 0;  // the closing slash is the last one
  const std::string pattern = "m/" + body + "/k" + (ignoreCase ? "i" : "");
  TBRegExp plain;
  try {
    plain.Match(pattern, "");
  } catch (const EBRegExpError&) {
    return 0;  // a broken pattern never reaches the automaton
  }
  const TRequiredRun run = RequiredCharRun(body, ignoreCase);
  if (!run.places.empty()) {
    const TCharRunFinder finder(run.places);
    for (const std::string& line : testing::ConvertedLines(std::string(rest.substr(rest.empty() ? 0 : 1)))) {
      if (plain.Match(pattern, line) <= 0) continue;
      const size_t at = finder.Find(line, run.startsMatch ? plain.MatchPos() - 1 : 0);
      fuzz::Check(at != std::string_view::npos && (!run.startsMatch || at == size_t(plain.MatchPos() - 1)));
    }
  }
  for (const bool keepAnchors : {false, true}) {
    const std::optional<TPrefilterFinder> finder = TPrefilterFinder::Of(body, ignoreCase, keepAnchors);
    if (!finder) continue;
    std::string text(rest.substr(rest.empty() ? 0 : 1));
    if (finder->Anchored()) std::erase(text, '\r');
    size_t start = 0;
    for (const std::string& line : testing::ConvertedLines(text)) {
      const size_t lineEnd = std::min(text.find_first_of("\r\n", start), text.size());
      if (plain.Match(pattern, line) > 0) fuzz::Check(finder->Scanner().Find(text, start) <= lineEnd);
      start = lineEnd + (text.compare(lineEnd, 2, "\r\n") == 0 ? 2 : 1);
    }
  }
  return 0;
}
