#include "engine/PrefilterPattern.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <bitset>
#include <cctype>
#include <map>
#include <vector>

#include "engine/KyConvert.h"
#include "platform/CodePage.h"

namespace tansa2 {
namespace {

constexpr bool IsLead(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
constexpr bool IsAsciiLetter(unsigned c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
// The lead bytes of the double-byte letters that have a case partner, which
// always shares the lead byte: full-width Latin (0x82), Greek (0x83) and
// Cyrillic (0x84).
constexpr bool IsCasedLead(unsigned lead) { return lead >= 0x82 && lead <= 0x84; }

std::string Hex(unsigned byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  return {'\\', 'x', kDigits[byte >> 4 & 0xF], kDigits[byte & 0xF]};
}

std::string NonCapturing(std::string_view inner) {
  std::string out = "(?:";
  out += inner;
  out += ')';
  return out;
}

// Writes the UTF-8 form of `u` (below 0x10000) at `out`; returns its length.
size_t Utf8Of(unsigned u, char* out) {
  if (u < 0x80) {
    out[0] = static_cast<char>(u);
    return 1;
  }
  if (u < 0x800) {
    out[0] = static_cast<char>(0xC0 | u >> 6);
    out[1] = static_cast<char>(0x80 | (u & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | u >> 12);
  out[1] = static_cast<char>(0x80 | (u >> 6 & 0x3F));
  out[2] = static_cast<char>(0x80 | (u & 0x3F));
  return 3;
}

// A bracket expression of the bytes in `bytes`, or a single byte alone.
std::string ByteClass(const std::bitset<256>& bytes) {
  if (bytes.count() == 1)
    for (unsigned b = 0; b < 256; ++b)
      if (bytes[b]) return Hex(b);
  std::string out = "[";
  for (unsigned b = 0; b < 256;) {
    if (!bytes[b]) {
      ++b;
      continue;
    }
    unsigned last = b;
    while (last + 1 < 256 && bytes[last + 1]) ++last;
    out += Hex(b);
    if (last > b) {
      out += '-';
      out += Hex(last);
    }
    b = last + 1;
  }
  return out + "]";
}

// The UTF-8 characters (code points below 0x10000) that convert to each
// CP932 one (a byte, or lead and trail): mostly one, a few have more. What
// CP932 lacks becomes "?", which isn't kept as a source of it.
struct TUtf8Sources {
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  std::vector<uint32_t> first = std::vector<uint32_t>(0x10000, kNone);
  std::multimap<unsigned, unsigned> more;

  template <class TPut>
  void ForEach(unsigned sjis, TPut put) const {
    if (first[sjis] == kNone) return;
    put(first[sjis]);
    for (auto [at, end] = more.equal_range(sjis); at != end; ++at) put(at->second);
  }
};

const TUtf8Sources& Utf8Sources() {
  static const TUtf8Sources sources = [] {
    TUtf8Sources built;
    for (char32_t u = 0; u < 0x10000; ++u) {
      if (u >= 0xD800 && u <= 0xDFFF) continue;
      const uint16_t code = platform::Cp932CodeOf(u);
      if (code == '?' && u != '?') continue;
      if (built.first[code] == TUtf8Sources::kNone) built.first[code] = u;
      else built.more.emplace(code, u);
    }
    return built;
  }();
  return sources;
}

// The characters one place of a match may take: single-byte codes, and for
// each lead byte the second bytes that may follow it.
struct TCharSet {
  std::bitset<256> singles;
  std::array<std::bitset<256>, 256> trails{};

  void AddRange(unsigned first, unsigned last) {
    for (unsigned code = first; code <= last && code < 0x100; ++code) singles.set(code);
    if (last < 0x100) return;
    for (unsigned lead = std::max(first, 0x100u) >> 8; lead <= last >> 8; ++lead) {
      if (!IsLead(lead)) continue;
      const unsigned from = lead == first >> 8 ? first & 0xFF : 0;
      const unsigned to = lead == last >> 8 ? last & 0xFF : 0xFF;
      for (unsigned trail = from; trail <= to; ++trail) trails[lead].set(trail);
    }
  }
  void AddAllPairs() {
    for (unsigned lead = 0; lead < 256; ++lead)
      if (IsLead(lead)) trails[lead].set();
  }
  void Add(const TCharSet& other) {
    singles |= other.singles;
    for (unsigned lead = 0; lead < 256; ++lead) trails[lead] |= other.trails[lead];
  }
  // ASCII letters exactly; a cased double-byte letter as every character of
  // its lead byte, which holds its partner.
  void FoldCase() {
    for (unsigned c = 'A'; c <= 'Z'; ++c)
      if (singles[c] || singles[c | 0x20]) singles.set(c).set(c | 0x20);
    for (unsigned lead = 0x82; lead <= 0x84; ++lead)
      if (trails[lead].any()) trails[lead].set();
  }
  void Negate(bool ignoreCase) {
    singles.flip();
    for (unsigned lead = 0; lead < 256; ++lead)
      if (IsLead(lead)) trails[lead].flip();
    // The partners of cased letters were only widened, not listed: their
    // complement is widened again.
    if (ignoreCase)
      for (unsigned lead = 0x82; lead <= 0x84; ++lead) trails[lead].set();
  }

  // The expression for text in `code`; empty when the set takes nothing a
  // line can hold.
  std::string Expression(TPrefilterCode code) const {
    if (code == TPrefilterCode::Sjis) return SjisExpression();
    // The forms of each character by their first byte, with the bytes each
    // later place may take: widened to every combination of them, which
    // keeps the expression small (a range of kanji is a few lead bytes,
    // each followed by two of 0x80-0xBF).
    std::map<std::pair<size_t, unsigned>, std::vector<std::bitset<256>>> tails;
    bool anyNonAscii = false;  // "?" stands for anything CP932 lacks
    auto addForm = [&](std::string_view form) {
      const auto first = static_cast<unsigned char>(form[0]);
      if (anyNonAscii && first >= 0x80) return;  // taken by "?" below
      std::vector<std::bitset<256>>& tail = tails[{form.size(), first}];
      tail.resize(form.size() - 1);
      for (size_t k = 1; k < form.size(); ++k) tail[k - 1].set(static_cast<unsigned char>(form[k]));
    };
    if (code == TPrefilterCode::Utf8) anyNonAscii = singles['?'];
    ForEachForm(code, addForm);
    // First bytes with the same later bytes are one branch.
    std::map<std::string, std::bitset<256>> firstsByTail;
    for (const auto& [key, tail] : tails) {
      std::string text;
      for (const std::bitset<256>& place : tail) text += ByteClass(place);
      firstsByTail[text].set(key.second);
    }
    std::vector<std::string> branches;
    for (const auto& [tail, firsts] : firstsByTail) branches.push_back(ByteClass(firsts) + tail);
    if (anyNonAscii) branches.push_back("[\\x80-\\xff]{1,4}");
    std::string out;
    for (const std::string& branch : branches) {
      if (!out.empty()) out += '|';
      out += branch;
    }
    return branches.size() > 1 ? NonCapturing(out) : out;
  }

  // Calls put(form) with the bytes of every form of each character of the
  // set in text of `code` that is read in its own bytes (UTF-8: each source
  // CP932 converts from, besides the "?" of what it lacks; EUC-JP: the clean
  // form, none beyond JIS X 0208, which doesn't occur); line breaks left out.
  template <class TPut>
  void ForEachForm(TPrefilterCode code, TPut put) const {
    auto forEach = [&](auto sjisPut) {
      for (unsigned c = 0; c < 0x100; ++c)
        if (singles[c] && !IsLead(c) && c != '\r' && c != '\n') sjisPut(c);
      for (unsigned lead = 0; lead < 256; ++lead)
        if (IsLead(lead))
          for (unsigned trail = 0; trail < 256; ++trail)
            if (trails[lead][trail]) sjisPut(lead << 8 | trail);
    };
    if (code == TPrefilterCode::Utf8) {
      const TUtf8Sources& sources = Utf8Sources();
      char form[3];
      forEach([&](unsigned sjis) {
        sources.ForEach(sjis, [&](unsigned u) { put(std::string_view(form, Utf8Of(u, form))); });
      });
      return;
    }
    forEach([&](unsigned sjis) {
      std::string bytes;
      if (sjis >= 0x100) bytes += static_cast<char>(sjis >> 8);
      bytes += static_cast<char>(sjis & 0xFF);
      if (code == TPrefilterCode::Sjis) {
        put(std::string_view(bytes));
        return;
      }
      const std::string euc = SjisToEuc(bytes);
      if (IsCleanEuc(euc) && EucToSjis(euc) == bytes) put(std::string_view(euc));
    });
  }

  std::string SjisExpression() const {
    std::bitset<256> single = singles;
    single.reset('\r').reset('\n');
    std::map<std::string, std::bitset<256>> leadsByTrails;  // ordered, so the text is stable
    for (unsigned lead = 0; lead < 256; ++lead) {
      if (!IsLead(lead)) continue;
      single.reset(lead);  // a lead byte always begins two
      // A lead byte cut off by the end of its line is a character of its
      // own to the library: a line break stands for its second byte then.
      std::bitset<256> trail = trails[lead];
      if (trail.any()) leadsByTrails[ByteClass(trail.set('\r').set('\n'))].set(lead);
    }
    std::vector<std::string> branches;
    if (single.any()) branches.push_back(ByteClass(single));
    for (const auto& [trail, leads] : leadsByTrails) branches.push_back(ByteClass(leads) + trail);
    if (branches.size() == 1) return branches.front();
    std::string out;
    for (const std::string& branch : branches) {
      if (!out.empty()) out += '|';
      out += branch;
    }
    return out.empty() ? out : NonCapturing(out);
  }
};

TCharSet Range(unsigned first, unsigned last) {
  TCharSet set;
  set.AddRange(first, last);
  return set;
}

// The character place a set of double-byte characters alone makes in text
// of `code`: each byte of its forms as any value the forms have there (a
// kanji's second byte as that of any kanji). None when the set holds a
// single-byte character, or its forms differ in length or there are none.
std::optional<TCharPlace> PlaceOf(const TCharSet& set, TPrefilterCode code) {
  if (set.singles.any()) return std::nullopt;
  TCharPlace place;
  bool sameLength = true;
  set.ForEachForm(code, [&](std::string_view form) {
    if (place.bytes.empty()) place.bytes.resize(form.size());
    if (form.size() != place.bytes.size()) sameLength = false;
    for (size_t k = 0; k < form.size() && k < place.bytes.size(); ++k)
      place.bytes[k].set(static_cast<unsigned char>(form[k]));
  });
  if (!sameLength || place.bytes.empty()) return std::nullopt;
  return place;
}

// How often a quantified item occurs in a match: at least `least` times,
// and exactly that when `fixed`.
struct TRepeat {
  size_t least = 1;
  bool fixed = true;
};

// Characters of a required run worth keeping; a longer one is found by its first ones.
constexpr size_t kMostPlaces = 8;

// Any run of bytes inside a line, which a back reference may take.
const std::string kAnyRun = "[\\x00-\\x09\\x0b\\x0c\\x0e-\\xff]*";

class TTranslator {
 public:
  TTranslator(std::string_view body, bool ignoreCase, bool keepAnchors, TPrefilterCode code)
      : body_(body), ignoreCase_(ignoreCase), keepAnchors_(keepAnchors), code_(code) {}

  std::optional<TPrefilterPattern> Translate() {
    std::string expression = Alternatives();
    if (failed_ || i_ != body_.size()) return std::nullopt;
    return TPrefilterPattern{std::move(expression), anchored_};
  }

  // The longest run the pattern's own sequence requires, once translated,
  // in the bytes of `code`; none when a place has no form there.
  TRequiredRun Run(TPrefilterCode code) {
    CloseRun();
    if (failed_ || branches_) return {};
    TRequiredRun run{{}, bestRunStarts_ && !looksAround_, bestRunItems_ == items_};
    for (const TCharSet& set : bestRun_) {
      std::optional<TCharPlace> place = PlaceOf(set, code);
      if (!place) return {};
      run.places.push_back(std::move(*place));
    }
    return run;
  }

 private:
  std::string Alternatives() {
    std::string out = Sequence();
    bool several = false;
    while (!failed_ && i_ < body_.size() && body_[i_] == '|') {
      ++i_;
      out += '|';
      out += Sequence();
      several = true;
    }
    if (several && depth_ == 0) branches_ = true;
    return several ? NonCapturing(out) : out;
  }

  std::string Sequence() {
    std::string out;
    for (bool first = true; !failed_ && i_ < body_.size() && body_[i_] != '|' && body_[i_] != ')'; first = false) {
      bool zeroWidth = false;
      place_.reset();
      std::string item = Item(zeroWidth);
      const std::optional<TCharSet> place = std::move(place_);
      // Every quantifier only repeats what is already there, so a lazy or
      // possessive mark read as one more repeat widens and never narrows.
      TRepeat repeat;
      while (!failed_ && Quantifier(item, repeat)) {
        if (zeroWidth) Fail();
      }
      if (zeroWidth) looksAround_ = true;
      if (depth_ == 0) ExtendRun(place, repeat, first);
      out += item;
    }
    return out;
  }

  // Adds an item of the pattern's own sequence to the run it ends, or ends
  // the run: X{2,}Y holds XXY, and so does YX{2,} hold YXX, but not YXXY.
  void ExtendRun(const std::optional<TCharSet>& place, TRepeat repeat, bool first) {
    ++items_;
    if (!place || repeat.least == 0) {
      CloseRun();
      return;
    }
    if (run_.empty()) runStarts_ = first && repeat.fixed;
    Append(*place, repeat.least);
    if (repeat.fixed) return;
    CloseRun();
    Append(*place, repeat.least);
  }

  // `times` places of `place` at the run's end; the item counts as in the
  // run when they all fit.
  void Append(const TCharSet& place, size_t times) {
    if (run_.size() + times <= kMostPlaces) ++runItems_;
    for (size_t k = 0; k < times && run_.size() < kMostPlaces; ++k) run_.push_back(place);
  }

  void CloseRun() {
    if (run_.size() > bestRun_.size()) {
      bestRun_ = run_;
      bestRunStarts_ = runStarts_;
      bestRunItems_ = runItems_;
    }
    run_.clear();
    runStarts_ = false;
    runItems_ = 0;
  }

  void Fail() { failed_ = true; }

  // A quantifier at i_ applied to `item`, and to how often it occurs; false
  // when there is none.
  bool Quantifier(std::string& item, TRepeat& times) {
    if (i_ >= body_.size()) return false;
    const char c = body_[i_];
    std::string repeat;
    if (c == '*' || c == '+' || c == '?') {
      repeat = c;
      ++i_;
      if (c != '+') times.least = 0;
      times.fixed = false;
    } else if (c == '{') {
      size_t j = i_ + 1;
      std::string lower;
      std::string upper;
      while (j < body_.size() && std::isdigit(static_cast<unsigned char>(body_[j]))) lower += body_[j++];
      const bool comma = j < body_.size() && body_[j] == ',';
      if (comma) ++j;
      while (j < body_.size() && std::isdigit(static_cast<unsigned char>(body_[j]))) upper += body_[j++];
      // A brace that isn't a repeat is a plain character to the library:
      // not worth reading.
      if (j >= body_.size() || body_[j] != '}' || (lower.empty() && upper.empty()) || lower.size() > 6 ||
          upper.size() > 6) {
        Fail();
        return false;
      }
      const size_t least = lower.empty() ? 0 : std::stoul(lower);
      times.least = std::min(times.least * least, kMostPlaces + 1);  // more than a run holds
      times.fixed = times.fixed && (!comma || (!upper.empty() && std::stoul(upper) == least));
      repeat = '{';
      repeat += lower.empty() ? "0" : lower;
      if (comma) repeat += ',';
      repeat += upper;
      repeat += '}';
      i_ = j + 1;
    } else {
      return false;
    }
    item = NonCapturing(item) + repeat;
    return true;
  }

  std::string Item(bool& zeroWidth) {
    const auto c = static_cast<unsigned char>(body_[i_]);
    if (IsLead(c)) {
      if (i_ + 1 >= body_.size()) {
        Fail();
        return {};
      }
      const auto trail = static_cast<unsigned char>(body_[i_ + 1]);
      i_ += 2;
      if ((ignoreCase_ && IsCasedLead(c)) || code_ != TPrefilterCode::Sjis) return Set(Range(c << 8 | trail, c << 8 | trail));
      place_ = Range(c << 8 | trail, c << 8 | trail);
      return Hex(c) + Hex(trail);
    }
    switch (c) {
      case '(':
        return Group(zeroWidth);
      case '[':
        return Class();
      case '\\':
        return Escape(zeroWidth);
      case '.': {
        ++i_;
        TCharSet any;
        any.singles.set();
        any.AddAllPairs();
        return any.Expression(code_);
      }
      case '^':
      case '$':
        ++i_;
        zeroWidth = true;
        return Anchor(c == '^');
      case '*':
      case '+':
      case '?':
      case '{':
      case '\r':
      case '\n':
        Fail();
        return {};
      default:
        ++i_;
        return Character(c);
    }
  }

  std::string Anchor(bool start) {
    if (!keepAnchors_) return {};
    anchored_ = true;
    return start ? "^" : "$";
  }

  std::string Character(unsigned c) {
    if (code_ != TPrefilterCode::Sjis) return Set(Range(c, c));
    if (ignoreCase_ && IsAsciiLetter(c)) {
      std::bitset<256> both;
      return ByteClass(both.set(c & ~0x20u).set(c | 0x20));
    }
    return Hex(c);
  }

  std::string Set(TCharSet set) {
    if (ignoreCase_) set.FoldCase();
    if (set.singles.none()) place_ = set;
    std::string out = set.Expression(code_);
    if (out.empty()) Fail();  // takes nothing a line holds
    return out;
  }

  std::string Group(bool& zeroWidth) {
    ++i_;
    bool lookAround = false;
    if (i_ < body_.size() && body_[i_] == '?') {
      const std::string_view rest = body_.substr(i_ + 1);
      if (rest.starts_with(":") || rest.starts_with(">")) {
        i_ += 2;  // atomic groups only match less
      } else if (rest.starts_with("=") || rest.starts_with("!")) {
        i_ += 2;
        lookAround = true;
      } else if (rest.starts_with("<=") || rest.starts_with("<!")) {
        i_ += 3;
        lookAround = true;
      } else if (rest.starts_with("<")) {
        const size_t close = rest.find('>');
        if (close == std::string_view::npos) {
          Fail();
          return {};
        }
        i_ += 1 + close + 1;  // a named group
      } else {
        Fail();  // options and comments
        return {};
      }
    }
    ++depth_;
    std::string inner = Alternatives();
    --depth_;
    if (failed_ || i_ >= body_.size() || body_[i_] != ')') {
      Fail();
      return {};
    }
    ++i_;
    place_.reset();  // a group is no single character
    // Dropping what looks around only lets more through.
    if (lookAround) {
      zeroWidth = true;
      return {};
    }
    return NonCapturing(inner);
  }

  // What a class escape letter takes; nothing when `e` isn't one.
  static std::optional<TCharSet> ClassEscape(char e) {
    TCharSet set;
    switch (e) {
      case 'd':
        return Range('0', '9');
      case 'w':
        set = Range('0', '9');
        set.Add(Range('A', 'Z'));
        set.Add(Range('a', 'z'));
        set.singles.set('_');
        set.AddAllPairs();
        return set;
      case 's':
        for (const char space : {'\t', '\v', '\f', ' '}) set.singles.set(static_cast<unsigned char>(space));
        return set;
      case 'h':
        // Hexadecimal digits, or horizontal blanks in other dialects: both.
        set = Range('0', '9');
        set.Add(Range('A', 'F'));
        set.Add(Range('a', 'f'));
        set.singles.set('\t').set(' ');
        return set;
      case 'D':
      case 'S':
      case 'H':
      case 'W': {
        // The complement of the ASCII ones; every double-byte character stays in.
        TCharSet ascii = *ClassEscape(static_cast<char>(std::tolower(e)));
        set.singles = ~ascii.singles;
        set.AddAllPairs();
        return set;
      }
      default:
        return std::nullopt;
    }
  }

  // The single character an escape stands for (\t, \x41, \.), or nothing.
  std::optional<unsigned> EscapedCharacter(bool inClass) {
    const auto e = static_cast<unsigned char>(body_[i_ + 1]);
    switch (e) {
      case 't': i_ += 2; return '\t';
      case 'f': i_ += 2; return '\f';
      case 'v': i_ += 2; return '\v';
      case 'e': i_ += 2; return 0x1B;
      case 'a': i_ += 2; return 0x07;
      case 'n': i_ += 2; return '\n';
      case 'r': i_ += 2; return '\r';
      case 'b':
        if (!inClass) return std::nullopt;
        i_ += 2;
        return 0x08;
      case 'x': {
        size_t j = i_ + 2;
        unsigned value = 0;
        while (j < body_.size() && j < i_ + 4 && std::isxdigit(static_cast<unsigned char>(body_[j])))
          value = value * 16 + std::stoi(std::string(1, body_[j++]), nullptr, 16);
        // A byte of 0x80 or more may join the next into one character.
        if (j == i_ + 2 || value >= 0x80) return std::nullopt;
        i_ = j;
        return value;
      }
      default:
        if (e < 0x80 && std::ispunct(e)) {
          i_ += 2;
          return e;
        }
        return std::nullopt;
    }
  }

  std::string Escape(bool& zeroWidth) {
    if (i_ + 1 >= body_.size()) {
      Fail();
      return {};
    }
    const char e = body_[i_ + 1];
    if (const std::optional<TCharSet> set = ClassEscape(e)) {
      i_ += 2;
      return Set(*set);
    }
    if (e == 'b' || e == 'B' || e == 'A' || e == 'G' || e == 'z' || e == 'Z') {
      i_ += 2;
      zeroWidth = true;
      if (e == 'b' || e == 'B') return {};
      return Anchor(e == 'A' || e == 'G');
    }
    // A back reference takes what its group took, some run of the line.
    if (e >= '1' && e <= '9' && (i_ + 2 >= body_.size() || !std::isdigit(static_cast<unsigned char>(body_[i_ + 2])))) {
      i_ += 2;
      return kAnyRun;
    }
    if (e == 'k' && i_ + 2 < body_.size() && body_[i_ + 2] == '<') {
      const size_t close = body_.find('>', i_ + 3);
      if (close == std::string_view::npos) {
        Fail();
        return {};
      }
      i_ = close + 1;
      return kAnyRun;
    }
    const std::optional<unsigned> c = EscapedCharacter(false);
    if (!c || *c == '\r' || *c == '\n') {
      Fail();
      return {};
    }
    return Character(*c);
  }

  // One character of a class at i_, as a code; nothing when it isn't one.
  std::optional<unsigned> ClassCharacter() {
    const auto c = static_cast<unsigned char>(body_[i_]);
    if (IsLead(c)) {
      if (i_ + 1 >= body_.size()) return std::nullopt;
      const unsigned code = c << 8 | static_cast<unsigned char>(body_[i_ + 1]);
      i_ += 2;
      return code;
    }
    if (c == '\\') return i_ + 1 < body_.size() ? EscapedCharacter(true) : std::nullopt;
    if (c == '[') return std::nullopt;  // nested classes and POSIX brackets aren't read
    ++i_;
    return c;
  }

  std::string Class() {
    ++i_;
    const bool negated = i_ < body_.size() && body_[i_] == '^';
    if (negated) ++i_;
    TCharSet set;
    for (bool first = true; i_ < body_.size() && (body_[i_] != ']' || first); first = false) {
      if (body_.substr(i_).starts_with("&&")) break;
      if (body_[i_] == '\\' && i_ + 1 < body_.size()) {
        if (const std::optional<TCharSet> escape = ClassEscape(body_[i_ + 1])) {
          set.Add(*escape);
          i_ += 2;
          if (i_ + 1 < body_.size() && body_[i_] == '-' && body_[i_ + 1] != ']') break;  // no range from a class
          continue;
        }
      }
      const std::optional<unsigned> code = ClassCharacter();
      if (!code) break;
      if (i_ + 1 < body_.size() && body_[i_] == '-' && body_[i_ + 1] != ']') {
        ++i_;
        const std::optional<unsigned> last = i_ < body_.size() ? ClassCharacter() : std::nullopt;
        if (!last || *last < *code) break;
        set.AddRange(*code, *last);
      } else {
        set.AddRange(*code, *code);
      }
    }
    if (i_ >= body_.size() || body_[i_] != ']') {
      Fail();
      return {};
    }
    ++i_;
    if (negated) {
      // Folded exactly before the complement is taken, then widened.
      for (unsigned c = 'A'; c <= 'Z' && ignoreCase_; ++c)
        if (set.singles[c] || set.singles[c | 0x20]) set.singles.set(c).set(c | 0x20);
      set.Negate(ignoreCase_);
      std::string out = set.Expression(code_);
      if (out.empty()) Fail();
      return out;
    }
    return Set(set);
  }

  std::string_view body_;
  bool ignoreCase_;
  bool keepAnchors_;
  TPrefilterCode code_;
  size_t i_ = 0;
  bool failed_ = false;
  bool anchored_ = false;
  // The required run: of groups around i_, whether the pattern is an
  // alternation or has zero-width items, the character place the item just
  // read makes, the run being read and the longest one so far, and whether
  // each begins with the pattern.
  int depth_ = 0;
  bool branches_ = false;
  bool looksAround_ = false;
  std::optional<TCharSet> place_;  // of double-byte characters alone
  std::vector<TCharSet> run_;
  bool runStarts_ = false;
  std::vector<TCharSet> bestRun_;
  bool bestRunStarts_ = false;
  // Items of the pattern's own sequence, and those wholly in each run.
  size_t items_ = 0;
  size_t runItems_ = 0;
  size_t bestRunItems_ = 0;
};

}  // namespace

std::optional<TPrefilterPattern> TranslatePrefilter(std::string_view body, bool ignoreCase, bool keepAnchors,
                                                    TPrefilterCode code) {
  return TTranslator(body, ignoreCase, keepAnchors, code).Translate();
}

TRequiredRuns RequiredCharRuns(std::string_view body, bool ignoreCase) {
  if (ignoreCase) return {};
  TTranslator translator(body, false, false, TPrefilterCode::Sjis);
  if (!translator.Translate()) return {};
  auto runIn = [&translator](TPrefilterCode code) {
    TRequiredRun run = translator.Run(code);
    return run.places.size() < 2 ? TRequiredRun{} : run;
  };
  return {runIn(TPrefilterCode::Sjis), runIn(TPrefilterCode::Utf8), runIn(TPrefilterCode::Euc)};
}

TRequiredRun RequiredCharRun(std::string_view body, bool ignoreCase, TPrefilterCode code) {
  TRequiredRuns runs = RequiredCharRuns(body, ignoreCase);
  switch (code) {
    case TPrefilterCode::Utf8:
      return std::move(runs.utf8);
    case TPrefilterCode::Euc:
      return std::move(runs.euc);
    default:
      return std::move(runs.sjis);
  }
}

}  // namespace tansa2
