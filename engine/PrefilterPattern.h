#pragma once
// Turns a Shift-JIS pattern into a pattern over bytes that matches at least
// wherever the original matches inside a line: each double-byte character
// as its two bytes, a class as the byte pairs of its characters, a dot as
// any character's bytes, letters that fold case as both cases. What can't be
// read exactly this way is widened (look-around dropped, a back reference
// read as any run of bytes); what isn't understood gives nothing.
//
// The result is meant for an automaton that scans many lines at once: no
// part of it takes a CR or LF, so a match never leaves its line, but for a
// lead byte cut off by its line's end, read as a character by the library,
// which may take the line break as its second byte. One cut off by the end
// of the text isn't matched at all.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CharRunFinder.h"

namespace tansa2 {

// The code of the text the byte form is for. Text in UTF-8 or in clean
// EUC-JP is searched in its own bytes: a character of the pattern stands for
// every form that converts to it (in UTF-8 also whatever CP932 lacks, which
// converts to "?").
enum class TPrefilterCode { Sjis, Utf8, Euc };

struct TPrefilterPattern {
  // In the syntax of the scanning library, every byte written as \xHH.
  std::string expression;
  // Whether the expression holds line anchors (^ $), which then mean the
  // start and end of a line broken by LF alone.
  bool anchored = false;
};

// `body` is the text between m/ and /k. With `keepAnchors` false the anchors
// are dropped, which only widens the pattern, so that it holds for lines
// broken by CR too.
std::optional<TPrefilterPattern> TranslatePrefilter(std::string_view body, bool ignoreCase, bool keepAnchors,
                                                    TPrefilterCode code = TPrefilterCode::Sjis);

// A run of double-byte characters every match of a Shift-JIS pattern holds
// in a row (as [一-龠]{2}[ぁ-ん]{2} holds four), the longest the pattern's
// sequence gives, of at most eight characters; as their bytes in text of a
// code (in UTF-8 or clean EUC-JP, the forms that convert to them).
struct TRequiredRun {
  std::vector<TCharPlace> places;  // empty when there is none
  // Every match begins with the run, and the pattern looks at nothing
  // before a match: a line may be searched from the run's first place on.
  bool startsMatch = false;
  // The pattern is the run and nothing else (X{2,}Y or YX{2,} too): the
  // lines holding the run are about those that match.
  bool wholePattern = false;
};

// The run in each code, read off one translation of the pattern. None when
// case is ignored, the pattern is an alternation, or isn't read, and in
// UTF-8 when a character's forms differ in length (Greek is two bytes,
// kanji three).
struct TRequiredRuns {
  TRequiredRun sjis;
  TRequiredRun utf8;
  TRequiredRun euc;
};
TRequiredRuns RequiredCharRuns(std::string_view body, bool ignoreCase);
// The run in one code.
TRequiredRun RequiredCharRun(std::string_view body, bool ignoreCase, TPrefilterCode code = TPrefilterCode::Sjis);

}  // namespace tansa2
