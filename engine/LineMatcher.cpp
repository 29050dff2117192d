#include "engine/LineMatcher.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/ByteScan.h"
#include "engine/CharacterStart.h"
#include "engine/DigitFlankedFinder.h"
#include "engine/KyConvert.h"
#include "platform/CodePage.h"

namespace tansa2 {

namespace {

// Bytes of lines the pattern runs over at once when it stays inside lines.
constexpr size_t kWindow = 1 << 16;

// Characters of a required run from which the run finder finds lines faster
// than the automaton does.
constexpr int kLongRun = 4;

// Bytes of text searched with one pattern from which building the automaton
// (a few to some tens of milliseconds) pays: a search of a few small files
// goes without it.
constexpr size_t kPrefilterWorth = 256 << 10;

// Whether the text holds a CR or 0x1A, the two bytes raw reading treats
// specially; most files hold neither, and one pass tells.
bool HoldsCrOrEof(std::string_view text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i eof = _mm_set1_epi8('\x1A');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, eof))) != 0)
      return true;
  }
#endif
  for (; i < text.size(); ++i)
    if (data[i] == '\r' || data[i] == 0x1A) return true;
  return false;
}

// Offset of the first 16-bit unit 0 at an even offset, or the size.
size_t FindZeroUnit(std::string_view text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= text.size(); i += 16) {
    const auto bytes = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), zero)));
    if (const unsigned units = bytes & (bytes >> 1) & 0x5555; units != 0)
      return i + static_cast<size_t>(__builtin_ctz(units));
  }
#endif
  for (; i + 1 < text.size(); i += 2)
    if (data[i] == 0 && data[i + 1] == 0) return i;
  return text.size();
}

}  // namespace

// Where lines end: converted text breaks at CR, LF and CR LF; raw text at LF
// and CR LF only, a trailing CR not being part of the line.
struct TLineMatcher::TLineBreaks {
  bool crEnds;

  static bool Aligned(size_t) { return true; }

  size_t End(std::string_view text, size_t from) const {
    if (crEnds) return FindCrOrLf(text, from);
    const size_t end = text.find('\n', from);
    return end == std::string_view::npos ? text.size() : end;
  }
  size_t Next(std::string_view text, size_t end) const {
    if (end >= text.size()) return text.size();
    return text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
  }
  // Start of the line holding `pos`, no earlier than `floor` (a line start).
  size_t StartOf(std::string_view text, size_t pos, size_t floor) const {
    size_t start = floor;
    if (const void* lf = memrchr(text.data() + floor, '\n', pos - floor))
      start = static_cast<const char*>(lf) - text.data() + 1;
    if (crEnds)
      if (const void* cr = memrchr(text.data() + start, '\r', pos - start))
        start = static_cast<const char*>(cr) - text.data() + 1;
    return start;
  }
  // Breaks in [from, to), both line starts; CR LF counts once.
  int Count(std::string_view text, size_t from, size_t to) const {
    return static_cast<int>(crEnds ? CountCrOrLfBreaks(text, from, to) : CountLf(text, from, to));
  }
  std::string_view Line(std::string_view text, size_t start, size_t end) const {
    std::string_view line = text.substr(start, end - start);
    if (!crEnds && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
};

// Line breaks of UTF-16 text: the units CR, LF and CR LF, at even offsets.
struct TLineMatcher::TUtf16LineBreaks {
  bool bigEndian;

  static bool Aligned(size_t pos) { return pos % 2 == 0; }
  unsigned Unit(std::string_view text, size_t at) const {
    const auto hi = static_cast<unsigned char>(text[bigEndian ? at : at + 1]);
    const auto lo = static_cast<unsigned char>(text[bigEndian ? at + 1 : at]);
    return hi << 8 | lo;
  }
  bool IsBreak(std::string_view text, size_t at) const {
    const unsigned unit = Unit(text, at);
    return unit == '\n' || unit == '\r';
  }
  size_t End(std::string_view text, size_t from) const { return FindUtf16Break(text, from, bigEndian); }
  size_t Next(std::string_view text, size_t end) const {
    if (end >= text.size()) return text.size();
    return Unit(text, end) == '\r' && end + 3 < text.size() && Unit(text, end + 2) == '\n' ? end + 4 : end + 2;
  }
  size_t StartOf(std::string_view text, size_t pos, size_t floor) const {
    for (size_t i = pos; i > floor; i -= 2)
      if (IsBreak(text, i - 2)) return i;
    return floor;
  }
  int Count(std::string_view text, size_t from, size_t to) const {
    return static_cast<int>(CountUtf16Breaks(text, from, to, bigEndian));
  }
  std::string_view Line(std::string_view text, size_t start, size_t end) const {
    return text.substr(start, end - start);
  }
};

namespace {

// The literal in the encodings whose text is searched in its own bytes;
// false when one of them has more than one form there.
bool UnicodeForms(const std::string& sjis, std::string& utf8, std::string& le, std::string& be) {
  std::u16string units;
  if (!platform::Cp932ToOnlySource(sjis, units)) return false;
  for (const char16_t unit : units) {
    const unsigned u = unit;
    if (u < 0x80) {
      utf8 += static_cast<char>(u);
    } else if (u < 0x800) {
      utf8 += static_cast<char>(0xC0 | u >> 6);
      utf8 += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | u >> 12);
      utf8 += static_cast<char>(0x80 | (u >> 6 & 0x3F));
      utf8 += static_cast<char>(0x80 | (u & 0x3F));
    }
    le += static_cast<char>(u & 0xFF);
    le += static_cast<char>(u >> 8);
    be += static_cast<char>(u >> 8);
    be += static_cast<char>(u & 0xFF);
  }
  return true;
}

enum class TJisForm { Same, Pairs, None, Unknown };

// How clean JIS holds a Shift-JIS literal: ASCII as itself, kanji pairs
// without their escape sequence, half-width katakana never. A literal that
// mixes ASCII and kanji may span an escape sequence.
TJisForm JisFormOf(const std::string& sjis) {
  bool asciiChars = false;
  bool kanaChars = false;
  bool pairs = false;
  for (size_t i = 0; i < sjis.size(); ++i) {
    const auto c = static_cast<unsigned char>(sjis[i]);
    if (platform::IsDBCSLeadByte(c)) {
      pairs = true;
      ++i;
    } else if (c < 0x80) {
      asciiChars = true;
    } else {
      kanaChars = true;  // half-width katakana, or a byte no character starts with
    }
  }
  if (kanaChars) return TJisForm::None;
  if (!pairs) return TJisForm::Same;
  return asciiChars ? TJisForm::Unknown : TJisForm::Pairs;
}

std::optional<TLiteralFinder> FinderOf(const std::vector<TLiteral>& literals) {
  if (literals.empty()) return std::nullopt;
  return TLiteralFinder(literals);
}

// The runs one of the library's analyses gives for `pattern`.
using TLiteralAnalysis = int (*)(const char* pattern, char* bytes, int size, int* lengths, int* asciiCaseless,
                                 int count);
std::vector<TLiteral> LiteralsOf(TLiteralAnalysis analysis, const std::string& pattern) {
  char bytes[1024];
  int lengths[BREGEXP_MAX_LITERALS];
  int caseless[BREGEXP_MAX_LITERALS];
  const int count = analysis(pattern.c_str(), bytes, sizeof bytes, lengths, caseless, BREGEXP_MAX_LITERALS);
  std::vector<TLiteral> literals;
  for (int k = 0, at = 0; k < count; at += lengths[k++])
    literals.push_back({std::string(bytes + at, lengths[k]), caseless[k] != 0});
  return literals;
}

std::bitset<256> BitsOf(const unsigned char (&bytes)[32]) {
  std::bitset<256> bits;
  for (size_t byte = 0; byte < 256; ++byte) bits[byte] = (bytes[byte / 8] >> byte % 8 & 1) != 0;
  return bits;
}

// The body and case flag of a pattern m/BODY/FLAGS read as Shift-JIS (with
// k); the flags hold no slash.
struct TSjisPattern {
  std::string_view body;
  bool ignoreCase;
};
std::optional<TSjisPattern> SjisPatternOf(std::string_view pattern) {
  const size_t close = pattern.rfind('/');
  const std::string_view flags = pattern.substr(close + 1);
  if (flags.find('k') == std::string_view::npos) return std::nullopt;
  return TSjisPattern{pattern.substr(2, close - 2), flags.find('i') != std::string_view::npos};
}

// The first place where `finder` finds its run beginning a character, as the
// library reads the line from its start: a run that begins on a second byte
// is none. Npos when there is none. `firstRun` is the first place the
// finder finds in the line, when the caller knows it, else npos.
size_t FirstRunAtCharacter(std::string_view line, const TCharRunFinder& finder, size_t firstRun) {
  for (size_t at = firstRun != std::string_view::npos ? firstRun : finder.Find(line, 0);
       at != std::string_view::npos; at = finder.Find(line, at + 1))
    if (StartsCharacter(line, at)) return at;
  return std::string_view::npos;
}

}  // namespace

void TLineMatcher::SetPattern(const std::string& pattern) {
  if (pattern == pattern_) return;
  pattern_ = pattern;
  literal_.reset();
  utf8Literal_.reset();
  utf16LeLiteral_.reset();
  utf16BeLiteral_.reset();
  eucLiteral_.reset();
  jisLiteral_.reset();
  eucKnown_ = false;
  jisKnown_ = false;
  alsoRequired_.reset();
  digitBefore_ = false;
  digitAfter_ = false;
  staysInLine_ = BStaysInLine(pattern.c_str()) != 0;
  charRun_.reset();
  utf8Run_.reset();
  eucRun_.reset();
  runFirst_ = false;
  runStartsMatch_ = false;
  prefilter_.reset();
  anchoredPrefilter_.reset();
  utf8Prefilter_.reset();
  eucPrefilter_.reset();
  byPrefilter_ = false;
  prefilterWanted_ = false;
  textSeen_ = 0;
  plain_ = TPlainMatch::Of(pattern);
  const std::vector<TLiteral> literals = LiteralsOf(BRequiredLiterals, pattern);
  if (!literals.empty()) {
    literal_.emplace(literals);
    const std::string& only = literals.front().bytes;
    if (literals.size() == 1 && std::all_of(only.begin(), only.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
      const int flanks = BRequiredDigitFlanks(pattern.c_str());
      digitBefore_ = (flanks & 1) != 0;
      digitAfter_ = (flanks & 2) != 0;
      literalLength_ = only.size();
    }
  }

  // Passing lines or whole files over is only sound when the pattern
  // compiles: a broken one must fail on the first line of the first file,
  // as it does line by line.
  try {
    regExp_.Match(pattern_, "");
  } catch (const EBRegExpError&) {
    return;
  }
  unsigned char leads[32];
  unsigned char trails[32];
  int startsMatch = 0;
  if (const int count = BRequiredCharRun(pattern.c_str(), leads, trails, &startsMatch); count != 0)
    charRun_.emplace(BitsOf(leads), BitsOf(trails), count);
  runStartsMatch_ = charRun_ && startsMatch != 0;
  // Classes one after the other, as in [一-龠]{2}[ぁ-ん]{2}, make a longer
  // run; one the pattern's own reading gives is also found in UTF-8 and
  // clean EUC-JP bytes. Plain text is its own literal, which finds its lines
  // sooner than any run in it: reading it for runs was a fifth of a search's
  // start.
  bool runIsPattern = false;
  if (const std::optional<TSjisPattern> sjis = plain_ ? std::nullopt : SjisPatternOf(pattern_)) {
    const TRequiredRuns runs = RequiredCharRuns(sjis->body, sjis->ignoreCase);
    const TRequiredRun& run = runs.sjis;
    if (!run.places.empty() && static_cast<int>(run.places.size()) >= (charRun_ ? charRun_->Count() : 0)) {
      charRun_.emplace(run.places);
      runStartsMatch_ = run.startsMatch;
      runIsPattern = run.wholePattern;
      if (!runs.utf8.places.empty()) utf8Run_.emplace(runs.utf8.places);
      if (!runs.euc.places.empty()) eucRun_.emplace(runs.euc.places);
    }
  }
  // Single characters as words, like the class in [アイウ]{3}, would find
  // nearly every line of Japanese text; the run they make is rarer.
  runFirst_ = charRun_ && std::all_of(literals.begin(), literals.end(), [](const TLiteral& literal) {
                return literal.bytes.size() <= 2;
              });
  // A long run is found faster by the run finder, and so is a short one
  // that is the whole pattern and of ranges (thousands of words to the
  // automaton); the automaton finds a few listed characters in a row faster,
  // and fewer lines where the pattern requires more than a short run.
  prefilterWanted_ = (literals.empty() || runFirst_) &&
                     !(runFirst_ && (charRun_->Count() >= kLongRun || (runIsPattern && literals.empty())));
  if (literals.empty()) return;
  alsoRequired_ = FinderOf(LiteralsOf(BAlsoRequiredLiterals, pattern));
  SetCleanForms(literals);
  std::vector<TLiteral> utf8;
  std::vector<TLiteral> le;
  std::vector<TLiteral> be;
  for (const TLiteral& literal : literals) {
    TLiteral& u8 = utf8.emplace_back(TLiteral{"", literal.asciiCaseless});
    TLiteral& u16le = le.emplace_back(TLiteral{"", literal.asciiCaseless});
    TLiteral& u16be = be.emplace_back(TLiteral{"", literal.asciiCaseless});
    if (!UnicodeForms(literal.bytes, u8.bytes, u16le.bytes, u16be.bytes)) return;
  }
  // Folding ASCII letters in UTF-16 bytes only finds more places, never fewer.
  utf8Literal_.emplace(utf8);
  utf16LeLiteral_.emplace(le);
  utf16BeLiteral_.emplace(be);
}

void TLineMatcher::Saw(size_t bytes) {
  const bool before = textSeen_ >= kPrefilterWorth;
  textSeen_ += bytes;
  if (prefilterWanted_ && !before && textSeen_ >= kPrefilterWorth) SetPrefilter();
}

void TLineMatcher::SetPrefilter() {
  const std::optional<TSjisPattern> sjis = SjisPatternOf(pattern_);
  if (!sjis) return;
  const std::string_view body = sjis->body;
  const bool ignoreCase = sjis->ignoreCase;
  std::optional<TPrefilterFinder> withAnchors = TPrefilterFinder::Of(body, ignoreCase, true);
  if (withAnchors && !withAnchors->Anchored()) {
    prefilter_ = std::move(withAnchors);
  } else {
    anchoredPrefilter_ = std::move(withAnchors);
    prefilter_ = TPrefilterFinder::Of(body, ignoreCase, false);
  }
  byPrefilter_ = prefilter_ || anchoredPrefilter_;
  if (!byPrefilter_) return;
  utf8Prefilter_ = TPrefilterFinder::Of(body, ignoreCase, false, TPrefilterCode::Utf8);
  eucPrefilter_ = TPrefilterFinder::Of(body, ignoreCase, false, TPrefilterCode::Euc);
}

const TPrefilterFinder* TLineMatcher::PrefilterFor(std::string_view text) const {
  if (anchoredPrefilter_ && std::memchr(text.data(), '\r', text.size()) == nullptr) return &*anchoredPrefilter_;
  return prefilter_ ? &*prefilter_ : nullptr;
}

// Clean EUC-JP and JIS turn character by character into Shift-JIS and
// back, so each literal has one form there, or none when it holds
// characters they can't give (half-width katakana in JIS, codes beyond JIS
// X 0208); such a literal can't occur, and when none can, nothing matches.
void TLineMatcher::SetCleanForms(const std::vector<TLiteral>& literals) {
  std::vector<TLiteral> euc;
  std::vector<TLiteral> jis;
  bool jisKnown = true;
  for (const TLiteral& literal : literals) {
    const std::string eucForm = SjisToEuc(literal.bytes);
    if (IsCleanEuc(eucForm) && EucToSjis(eucForm) == literal.bytes) euc.push_back({eucForm, literal.asciiCaseless});
    switch (JisFormOf(literal.bytes)) {
      case TJisForm::Same:
        jis.push_back(literal);
        break;
      case TJisForm::Pairs:
        if (const std::string jisForm = SjisToJis(literal.bytes);  // ESC $ B and the pairs
            IsCleanJis(jisForm) && JisToSjis(jisForm) == literal.bytes)
          jis.push_back({jisForm.substr(3), literal.asciiCaseless});
        break;
      case TJisForm::None:
        break;
      case TJisForm::Unknown:
        jisKnown = false;
        break;
    }
  }
  eucKnown_ = true;
  eucLiteral_ = FinderOf(euc);
  jisKnown_ = jisKnown;
  if (jisKnown) jisLiteral_ = FinderOf(jis);
}

std::optional<int> TLineMatcher::MatchEncoded(std::string_view raw, int code, const TOnLine& onLine,
                                              const std::atomic<bool>& cancel) {
  Saw(raw.size());
  if (byPrefilter_) return MatchUtf8OrEuc(raw, code, utf8Prefilter_, eucPrefilter_, onLine, cancel);
  if (runFirst_)
    if (const std::optional<int> count = MatchUtf8OrEuc(raw, code, utf8Run_, eucRun_, onLine, cancel)) return count;
  const std::optional<TLiteralFinder>* finder = nullptr;
  TConvertLine convert = nullptr;
  switch (code) {
    case kcUtf16LE:
    case kcUtf16BE: {
      const bool bigEndian = code == kcUtf16BE;
      const std::optional<TLiteralFinder>& utf16 = bigEndian ? utf16BeLiteral_ : utf16LeLiteral_;
      if (!utf16) return std::nullopt;
      // The units after the byte-order mark, up to the first U+0000.
      std::string_view body = raw.substr(std::min<size_t>(2, raw.size()));
      body = body.substr(0, body.size() & ~size_t{1});
      body = body.substr(0, FindZeroUnit(body));
      const TConvertLine convert16 = bigEndian ? TConvertLine{platform::Utf16BeToCp932}
                                               : TConvertLine{platform::Utf16LeToCp932};
      return MatchCandidateLines(body, TUtf16LineBreaks{bigEndian}, *utf16, convert16, onLine, cancel);
    }
    case kcUtf8Bom:
      raw.remove_prefix(std::min<size_t>(3, raw.size()));
      [[fallthrough]];
    case kcUtf8:
      if (!utf8Literal_) return std::nullopt;
      finder = &utf8Literal_;
      convert = platform::Utf8ToCp932;
      break;
    case kcEuc:
      if (!eucKnown_ || !IsCleanEuc(raw)) return std::nullopt;
      finder = &eucLiteral_;
      convert = EucToSjis;
      break;
    case kcJis:
      if (!jisKnown_ || !IsCleanJis(raw)) return std::nullopt;
      finder = &jisLiteral_;
      convert = JisToSjis;
      break;
    default:
      return std::nullopt;
  }
  // A clean EUC-JP or JIS text that can't hold the literal matches nowhere.
  if (!*finder) return 0;
  // These codes keep CR, LF and 0x00 as themselves, line for line.
  raw = raw.substr(0, raw.find('\0'));
  // JIS may put an escape sequence between two ASCII characters.
  if (code == kcJis) return MatchCandidateLines(raw, TLineBreaks{true}, **finder, convert, onLine, cancel);
  return MatchLiteralLines(raw, TLineBreaks{true}, **finder, convert, onLine, cancel);
}

template <class TFinder>
std::optional<int> TLineMatcher::MatchUtf8OrEuc(std::string_view raw, int code, const std::optional<TFinder>& utf8,
                                                const std::optional<TFinder>& euc, const TOnLine& onLine,
                                                const std::atomic<bool>& cancel) {
  const TFinder* finder = nullptr;
  TConvertLine convert = nullptr;
  switch (code) {
    case kcUtf8Bom:
      raw.remove_prefix(std::min<size_t>(3, raw.size()));
      [[fallthrough]];
    case kcUtf8:
      finder = utf8 ? &*utf8 : nullptr;
      convert = platform::Utf8ToCp932;
      break;
    case kcEuc:
      if (!euc || !IsCleanEuc(raw)) return std::nullopt;
      finder = &*euc;
      convert = EucToSjis;
      break;
    default:
      return std::nullopt;
  }
  if (!finder) return std::nullopt;
  // These codes keep CR, LF and 0x00 as themselves, line for line.
  raw = raw.substr(0, raw.find('\0'));
  if constexpr (std::is_same_v<TFinder, TPrefilterFinder>)
    return MatchCandidateLines(raw, TLineBreaks{true}, finder->Scanner(), convert, onLine, cancel);
  else
    return MatchCandidateLines(raw, TLineBreaks{true}, *finder, convert, onLine, cancel);
}

template <class TLineNum>
bool TLineMatcher::Test(std::string_view line, TLineNum lineNum, const TOnLine& onLine, int& count, bool& go,
                        size_t firstRun) {
  // A line without one of the second words can't match: the library needn't look.
  if (alsoRequired_ && alsoRequired_->Find(line, 0) == std::string_view::npos) return false;
  size_t from = 0;  // where the library begins to search
  if (charRun_) {
    const size_t run = FirstRunAtCharacter(line, *charRun_, firstRun);
    if (run == std::string_view::npos) return false;
    // No match begins before the first place the run does: the library
    // needn't try the places before it.
    if (runStartsMatch_) from = run;
  }
  if (plain_) {
    const size_t at = plain_->Find(line);
    if (at == std::string_view::npos) return false;
    ++count;
    go = onLine(line, lineNum(), static_cast<int>(at) + 1, plain_->Length());
    return true;
  }
  if (regExp_.Match(pattern_, line.substr(from)) <= 0) return false;
  ++count;
  go = onLine(line, lineNum(), static_cast<int>(from) + regExp_.MatchPos(), regExp_.MatchLen());
  return true;
}

int TLineMatcher::MatchEveryLine(std::string_view text, const TLineBreaks& breaks, const TOnLine& onLine,
                                 const std::atomic<bool>& cancel) {
  // Raw lines lose their CRs, which the whole text still holds.
  if (staysInLine_ && (breaks.crEnds || text.find('\r') == std::string_view::npos))
    return MatchLinesOfMatches(text, breaks, onLine, cancel);
  int count = 0;
  bool go = true;
  int lineNum = 0;
  for (size_t start = 0; start < text.size() && go && !cancel;) {
    const size_t end = breaks.End(text, start);
    std::string_view line = breaks.Line(text, start, end);
    if (!breaks.crEnds && line.find('\r') != std::string_view::npos) {
      withoutCr_.assign(line);
      std::erase(withoutCr_, '\r');
      line = withoutCr_;
    }
    ++lineNum;
    Test(line, [lineNum] { return lineNum; }, onLine, count, go);
    start = breaks.Next(text, end);
  }
  return count;
}

// The pattern runs over windows of whole lines, and only the line where a
// match begins is tested alone; the lines before it hold no match, since one
// would have been found in the window at the same place. A window ends at a
// line end, so a cancel is seen between windows.
int TLineMatcher::MatchLinesOfMatches(std::string_view text, const TLineBreaks& breaks, const TOnLine& onLine,
                                      const std::atomic<bool>& cancel) {
  int count = 0;
  bool go = true;
  int lineNum = 1;  // of the line at `start`
  size_t start = 0;
  while (start < text.size() && go && !cancel) {
    size_t windowEnd = start + kWindow >= text.size() ? text.size() : breaks.End(text, start + kWindow);
    if (breaks.crEnds && windowEnd < text.size() && text[windowEnd] == '\n' && text[windowEnd - 1] == '\r')
      --windowEnd;
    const size_t windowNext = breaks.Next(text, windowEnd);
    if (regExp_.Match(pattern_, text.substr(start, windowEnd - start)) <= 0) {
      lineNum += breaks.Count(text, start, windowNext);
      start = windowNext;
      continue;
    }
    // Such a pattern matches empty everywhere or nowhere, so a match never
    // begins on a line break: an empty one is found at `start`.
    const size_t match = start + regExp_.MatchPos() - 1;
    const size_t lineStart = breaks.StartOf(text, match, start);
    lineNum += breaks.Count(text, start, lineStart);
    const size_t end = breaks.End(text, match);
    Test(breaks.Line(text, lineStart, end), [lineNum] { return lineNum; }, onLine, count, go);
    start = breaks.Next(text, end);
    ++lineNum;
  }
  return count;
}

template <class TBreaks, class TFinder>
int TLineMatcher::MatchCandidateLines(std::string_view text, const TBreaks& breaks,
                                      const TFinder& finder, TConvertLine convert,
                                      const TOnLine& onLine, const std::atomic<bool>& cancel) {
  int count = 0;
  bool go = true;
  if (text.empty()) return 0;
  // Lines are numbered only when they match: most candidates don't, and
  // counting the breaks before each of them would pass over the whole text.
  size_t numbered = 0;  // a line start whose number is known
  int numberedLine = 1;
  // `candidate` is where the finder found the line, or npos for the first line.
  auto test = [&](size_t lineStart, size_t lineEnd, size_t candidate) {
    std::string_view line = breaks.Line(text, lineStart, lineEnd);
    // The run finder's place is the first run in the line, when the run
    // lies inside it: the line needn't be searched for it again.
    size_t firstRun = std::string_view::npos;
    if constexpr (std::is_same_v<TFinder, TCharRunFinder>)
      if (!convert && candidate != std::string_view::npos && &finder == &*charRun_ &&
          candidate + finder.Length() <= lineStart + line.size())
        firstRun = candidate - lineStart;
    if (convert) {
      // Converted first: converting may move the room's bytes.
      const size_t length = convert(line, convertedLine_);
      line = std::string_view(convertedLine_.data(), length);
    }
    Test(line, [&] {
      numberedLine += breaks.Count(text, numbered, lineStart);
      numbered = lineStart;
      return numberedLine;
    }, onLine, count, go, firstRun);
  };
  // The first line is always tested, so that a broken pattern fails on the
  // same files as it does line by line.
  size_t end = breaks.End(text, 0);
  test(0, end, std::string_view::npos);
  size_t start = breaks.Next(text, end);
  for (size_t searchFrom = start; go && start < text.size() && !cancel;) {
    const size_t candidate = finder.Find(text, searchFrom);
    if (candidate == std::string_view::npos) break;
    if (!breaks.Aligned(candidate)) {  // half-way into a unit
      searchFrom = candidate + 1;
      continue;
    }
    const size_t lineStart = breaks.StartOf(text, candidate, start);
    end = breaks.End(text, candidate);
    test(lineStart, end, candidate);
    start = breaks.Next(text, end);
    searchFrom = start;
  }
  return count;
}

template <class TBreaks>
int TLineMatcher::MatchLiteralLines(std::string_view text, const TBreaks& breaks, const TLiteralFinder& finder,
                                    TConvertLine convert, const TOnLine& onLine, const std::atomic<bool>& cancel) {
  if (!digitBefore_ && !digitAfter_) return MatchCandidateLines(text, breaks, finder, convert, onLine, cancel);
  const TDigitFlankedFinder flanked(finder, literalLength_, digitBefore_, digitAfter_);
  return MatchCandidateLines(text, breaks, flanked, convert, onLine, cancel);
}

int TLineMatcher::MatchLines(std::string_view text, const TLineBreaks& breaks, bool byCandidates,
                             const TOnLine& onLine, const std::atomic<bool>& cancel) {
  Saw(text.size());
  if (byCandidates && byPrefilter_)
    if (const TPrefilterFinder* prefilter = PrefilterFor(text))
      return MatchCandidateLines(text, breaks, prefilter->Scanner(), nullptr, onLine, cancel);
  if (byCandidates && runFirst_) return MatchCandidateLines(text, breaks, *charRun_, nullptr, onLine, cancel);
  if (byCandidates && literal_) return MatchLiteralLines(text, breaks, *literal_, nullptr, onLine, cancel);
  return MatchEveryLine(text, breaks, onLine, cancel);
}

int TLineMatcher::MatchConverted(std::string_view text, const TOnLine& onLine,
                                 const std::atomic<bool>& cancel) {
  const TLineBreaks breaks{true};
  return MatchLines(text, breaks, true, onLine, cancel);
}

int TLineMatcher::MatchRaw(std::string_view text, const TOnLine& onLine, const std::atomic<bool>& cancel) {
  const TLineBreaks breaks{false};
  bool loneCr = false;
  if (HoldsCrOrEof(text)) {
    // The text ends where a line would begin with 0x1A.
    for (size_t eof = text.find('\x1A'); eof != std::string_view::npos; eof = text.find('\x1A', eof + 1))
      if (eof == 0 || text[eof - 1] == '\n') {
        text = text.substr(0, eof);
        break;
      }
    // A lone CR vanishes from its line, so a literal could span it: such
    // text is read line by line.
    for (size_t cr = text.find('\r'); cr != std::string_view::npos && !loneCr; cr = text.find('\r', cr + 1))
      loneCr = cr + 1 >= text.size() || text[cr + 1] != '\n';
  }
  return MatchLines(text, breaks, !loneCr, onLine, cancel);
}

}  // namespace tansa2
