#pragma once
// Matches the lines of a whole text against a pattern with exactly the
// results of testing it line by line, but looks only at the lines that hold
// one of the pattern's required literals, or the run of characters it
// requires, when it has them.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BRegExp.h"
#include "engine/CharRunFinder.h"
#include "engine/LiteralFinder.h"
#include "engine/PlainMatch.h"
#include "engine/PrefilterFinder.h"

namespace tansa2 {

class TLineMatcher {
 public:
  // Called for each matching line, in order; returns false to stop.
  using TOnLine = std::function<bool(std::string_view line, int lineNum, int matchPos, int matchLen)>;

  // m/.../k or m/.../ki.
  void SetPattern(const std::string& pattern);

  // Matches a file of the given code (KyConvert's kcJis ... kcUtf8) from
  // its own bytes where that gives the same rows as converting it: the
  // required literal is looked for in the file's encoding, and only the
  // lines holding it are converted (UTF-8, UTF-16, and EUC-JP and JIS that
  // are clean). Nothing when the file must be converted whole.
  std::optional<int> MatchEncoded(std::string_view raw, int code, const TOnLine& onLine,
                                  const std::atomic<bool>& cancel);

  // Converted text: lines end at CR, LF or CR LF.
  int MatchConverted(std::string_view text, const TOnLine& onLine, const std::atomic<bool>& cancel);
  // A file's own bytes: lines end at LF or CR LF, a lone CR is dropped from
  // the line, and a line beginning with 0x1A ends the text.
  int MatchRaw(std::string_view text, const TOnLine& onLine, const std::atomic<bool>& cancel);

 private:
  struct TLineBreaks;
  struct TUtf16LineBreaks;
  // MatchEncoded of UTF-8 and clean EUC-JP text by a finder of its own
  // bytes (the automaton, or the run of characters), when it has one.
  template <class TFinder>
  std::optional<int> MatchUtf8OrEuc(std::string_view raw, int code, const std::optional<TFinder>& utf8,
                                    const std::optional<TFinder>& euc, const TOnLine& onLine,
                                    const std::atomic<bool>& cancel);
  int MatchEveryLine(std::string_view text, const TLineBreaks& breaks, const TOnLine& onLine,
                     const std::atomic<bool>& cancel);
  // Lines of a Shift-JIS text: by the places a finder gives, when the
  // pattern has one and `byCandidates`, else every line.
  int MatchLines(std::string_view text, const TLineBreaks& breaks, bool byCandidates, const TOnLine& onLine,
                 const std::atomic<bool>& cancel);
  // The same for a pattern whose matches stay inside lines.
  int MatchLinesOfMatches(std::string_view text, const TLineBreaks& breaks, const TOnLine& onLine,
                          const std::atomic<bool>& cancel);
  // Lines of `text` holding what `finder` finds; `convert` turns such a
  // line into Shift-JIS first, when the text is in another code.
  using TConvertLine = size_t (*)(std::string_view line, std::string& room);
  template <class TBreaks, class TFinder>
  int MatchCandidateLines(std::string_view text, const TBreaks& breaks, const TFinder& finder,
                          TConvertLine convert, const TOnLine& onLine, const std::atomic<bool>& cancel);
  // MatchCandidateLines by `finder`, narrowed to the places with the digits
  // around them that every match has, in a text whose ASCII is itself.
  template <class TBreaks>
  int MatchLiteralLines(std::string_view text, const TBreaks& breaks, const TLiteralFinder& finder,
                        TConvertLine convert, const TOnLine& onLine, const std::atomic<bool>& cancel);
  void SetCleanForms(const std::vector<TLiteral>& literals);
  // Counts the bytes searched with the pattern, and builds the automaton
  // once they are enough to pay for it.
  void Saw(size_t bytes);
  void SetPrefilter();
  // The automaton that finds candidate lines in `text`, if the pattern has one.
  const TPrefilterFinder* PrefilterFor(std::string_view text) const;
  // Tests one line and reports it when it matches; `lineNum()` gives its
  // number, asked only then. `firstRun` is where the required run first
  // lies in the line, when the caller knows it, else npos.
  template <class TLineNum>
  bool Test(std::string_view line, TLineNum lineNum, const TOnLine& onLine, int& count, bool& go,
            size_t firstRun = std::string_view::npos);

  std::string pattern_;
  std::optional<TLiteralFinder> literal_;
  // The literals as UTF-8, UTF-16LE and UTF-16BE bytes, when each has one form.
  std::optional<TLiteralFinder> utf8Literal_;
  std::optional<TLiteralFinder> utf16LeLiteral_;
  std::optional<TLiteralFinder> utf16BeLiteral_;
  // The literals as clean EUC-JP and JIS hold them; `...Known_` also when
  // they can hold none of them (no finder then).
  std::optional<TLiteralFinder> eucLiteral_;
  std::optional<TLiteralFinder> jisLiteral_;
  bool eucKnown_ = false;
  bool jisKnown_ = false;
  // A second set of literals every match holds one of, tested in a line
  // before the regular expression is.
  std::optional<TLiteralFinder> alsoRequired_;
  bool staysInLine_ = false;
  // Whether an ASCII digit stands right before and after the literal in
  // every match, when it is one and ASCII (the same bytes in every code).
  bool digitBefore_ = false;
  bool digitAfter_ = false;
  size_t literalLength_ = 0;
  // A run of double-byte characters every match holds, tested in a line
  // before the regular expression is; with `runFirst_` lines are found by
  // it, when the pattern has no literal or only single characters.
  std::optional<TCharRunFinder> charRun_;
  // The run in UTF-8 and clean EUC-JP bytes, when the pattern's own reading
  // gives it.
  std::optional<TCharRunFinder> utf8Run_;
  std::optional<TCharRunFinder> eucRun_;
  bool runFirst_ = false;
  // Every match begins with the run, and the pattern looks at nothing
  // before a match: a line is searched from the run's first place on.
  bool runStartsMatch_ = false;
  // An automaton finding the lines that may match, for patterns without a
  // literal worth searching for; one keeping the line anchors for text
  // without CR, and one without them (`prefilter_`) for any text.
  std::optional<TPrefilterFinder> prefilter_;
  std::optional<TPrefilterFinder> anchoredPrefilter_;
  // The same for UTF-8 and clean EUC-JP text in their own bytes, without anchors.
  std::optional<TPrefilterFinder> utf8Prefilter_;
  std::optional<TPrefilterFinder> eucPrefilter_;
  // Whether candidate lines are found by the automaton rather than by a
  // literal or a run.
  bool byPrefilter_ = false;
  bool prefilterWanted_ = false;
  size_t textSeen_ = 0;
  // The pattern itself, when it is plain text the library needn't match.
  std::optional<TPlainMatch> plain_;
  TBRegExp regExp_;
  std::string withoutCr_;
  std::string convertedLine_;  // room for a candidate line converted to Shift-JIS
};

}  // namespace tansa2
