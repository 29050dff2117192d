#include "bregexp/required_literal.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <utility>

namespace bregexp {
namespace {

constexpr bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
constexpr bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Whether a range of double-byte codes holds characters that have a case
// partner under ignore-case: the full-width Latin letters, Greek and Cyrillic.
bool RangeHasSjisCase(unsigned first, unsigned last) {
  constexpr std::pair<unsigned, unsigned> kCased[] = {{0x8260, 0x829A}, {0x839F, 0x83D6}, {0x8440, 0x8491}};
  return std::any_of(std::begin(kCased), std::end(kCased),
                     [&](const auto& cased) { return first <= cased.second && last >= cased.first; });
}

bool HasSjisCase(unsigned char lead, unsigned char trail) {
  const unsigned code = lead << 8 | trail;
  return RangeHasSjisCase(code, code);
}

// Reads a quantifier at `i`; sets `min` to its lower bound and steps past it
// (with a lazy or possessive mark). False when there is none.
bool ReadQuantifier(std::string_view body, size_t& i, int& min, bool& malformed) {
  if (i >= body.size()) return false;
  const char c = body[i];
  if (c == '*' || c == '?' || c == '+') {
    min = c == '+' ? 1 : 0;
    ++i;
  } else if (c == '{') {
    size_t j = i + 1;
    int lower = 0;
    bool digits = false;
    while (j < body.size() && std::isdigit(static_cast<unsigned char>(body[j]))) {
      lower = std::min(lower * 10 + (body[j] - '0'), 100000);
      digits = true;
      ++j;
    }
    if (j < body.size() && body[j] == ',') ++j;
    while (j < body.size() && std::isdigit(static_cast<unsigned char>(body[j]))) ++j;
    if (j >= body.size() || body[j] != '}' || (!digits && body[j - 1] == '{')) {
      malformed = true;  // a brace that may be a plain character: don't guess
      return false;
    }
    min = digits ? lower : 0;
    i = j + 1;
  } else {
    return false;
  }
  if (i < body.size() && (body[i] == '?' || body[i] == '+')) ++i;
  return true;
}

using Set = std::vector<RequiredLiteral>;  // empty: nothing required is known

// Whether every text holding `longer` holds `shorter` too, character for
// character, so that it holds in every code the text may come in.
bool Implies(const RequiredLiteral& longer, const RequiredLiteral& shorter, bool sjis) {
  if (shorter.bytes.size() > longer.bytes.size() || (longer.asciiCaseless && !shorter.asciiCaseless)) return false;
  auto length = [&](const std::string& text, size_t at) -> size_t {
    return sjis && IsLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
  };
  auto same = [&](size_t at, size_t n, size_t from) {
    if (n == 2) return longer.bytes.compare(at, 2, shorter.bytes, from, 2) == 0;
    const auto a = static_cast<unsigned char>(longer.bytes[at]);
    const auto b = static_cast<unsigned char>(shorter.bytes[from]);
    return shorter.asciiCaseless ? std::tolower(a) == std::tolower(b) : a == b;
  };
  for (size_t start = 0; start + shorter.bytes.size() <= longer.bytes.size(); start += length(longer.bytes, start)) {
    size_t at = start;
    size_t from = 0;
    while (from < shorter.bytes.size()) {
      const size_t n = length(shorter.bytes, from);
      if (length(longer.bytes, at) != n || !same(at, n, from)) break;
      at += n;
      from += n;
    }
    if (from == shorter.bytes.size()) return true;
  }
  return false;
}

size_t Shortest(const Set& set) {
  size_t shortest = set.front().bytes.size();
  for (const RequiredLiteral& literal : set) shortest = std::min(shortest, literal.bytes.size());
  return shortest;
}

// The better set to search for: its shortest run is longer, or it has fewer.
bool Better(const Set& a, const Set& b) {
  if (a.empty() || b.empty()) return !a.empty();
  const size_t shortestA = Shortest(a);
  const size_t shortestB = Shortest(b);
  return shortestA != shortestB ? shortestA > shortestB : a.size() < b.size();
}

// A recursive reading of alternatives, sequences and groups. Anything it
// doesn't know for sure sets `broken_`, and then nothing is given.
class Reader {
 public:
  Reader(std::string_view body, bool sjis, bool ignoreCase) : body_(body), sjis_(sjis), ignoreCase_(ignoreCase) {}

  // Whether every match lies inside one line, whatever surrounds it: then
  // a match found in a whole text is a match of the line it starts in.
  bool StaysInLine() {
    Read();
    return !broken_ && i_ == body_.size() && inLine_;
  }

  DigitFlanks FindDigitFlanks() {
    const Set set = Read();
    if (broken_ || branches_ || set.size() != 1 || !sjis_) return {};
    return flanks_;
  }

  CharRun FindCharRun() {
    Read();
    if (broken_ || i_ != body_.size() || branches_ || charRun_.count < 2) return {};
    return charRun_;
  }

  Set FindAlsoRequired() {
    Read();
    if (broken_ || i_ != body_.size() || branches_) return {};
    return WithoutLineBreaks(second_);
  }

  Set Read() {
    Set set = Alternatives();
    if (broken_ || i_ != body_.size()) return {};
    return WithoutLineBreaks(set);
  }

 private:
  // A set is searched for within lines, so a run holding a line break is of no use.
  static Set WithoutLineBreaks(Set set) {
    for (const RequiredLiteral& literal : set)
      if (literal.bytes.find_first_of("\r\n") != std::string::npos) return {};
    return set;
  }

  // Every branch must hold one of its runs; one that holds none leaves the
  // whole alternation without any.
  Set Alternatives() {
    Set all = Sequence();
    bool everyBranch = !all.empty();
    while (!broken_ && i_ < body_.size() && body_[i_] == '|') {
      if (depth_ == 0) branches_ = true;
      ++i_;
      const Set branch = Sequence();
      everyBranch = everyBranch && !branch.empty();
      all.insert(all.end(), branch.begin(), branch.end());
    }
    if (!everyBranch) return {};
    // A run that holds another run of the set adds nothing.
    Set kept;
    for (size_t a = 0; a < all.size(); ++a) {
      bool redundant = false;
      for (size_t b = 0; b < all.size() && !redundant; ++b)
        redundant = b != a && Implies(all[a], all[b], sjis_) && (!Implies(all[b], all[a], sjis_) || b < a);
      if (!redundant) kept.push_back(all[a]);
    }
    if (kept.size() > kMaxRequiredLiterals) return {};
    return kept;
  }

  Set Sequence() {
    // Each item of a sequence is required on its own: the best set to
    // search for, and the next best, which a found place must hold as well.
    const size_t start = i_;
    Set best;
    Set runnerUp;
    DigitFlanks bestFlanks;
    auto consider = [&](Set candidate, DigitFlanks flanks) {
      if (Better(candidate, best)) {
        runnerUp = std::move(best);
        best = std::move(candidate);
        bestFlanks = flanks;
      } else if (Better(candidate, runnerUp)) {
        runnerUp = std::move(candidate);
      }
    };
    RequiredLiteral run;
    DigitFlanks runFlanks;
    bool digitBefore = false;  // the item before i_ takes at least one ASCII digit and nothing else
    // `digitAfter`: the item that ends the run is such a digit.
    auto endRun = [&](bool digitAfter) {
      runFlanks.after = digitAfter;
      if (!run.bytes.empty()) consider(Set{run}, runFlanks);
      run = {};
      runFlanks = {};
    };
    while (!broken_ && i_ < body_.size() && body_[i_] != '|' && body_[i_] != ')') {
      std::string atom;  // the plain character at i_, if it is one
      Set group;         // what a group at i_ requires
      size_t next = i_ + 1;
      if (!ReadItem(atom, group, next)) {
        broken_ = true;
        break;
      }
      int min = 1;
      bool malformed = false;
      const bool quantified = ReadQuantifier(body_, next, min, malformed);
      if (malformed) {
        broken_ = true;
        break;
      }
      if (body_[i_] == '[' && classRun_.count != 0 && depth_ == 0 && min > charRun_.count) {
        charRun_ = classRun_;
        charRun_.count = min;
        // What comes after it looks back one character at most (\b), or
        // isn't read at all (look-behind, back references).
        charRun_.startsMatch = i_ == start;
      }
      const bool digit = min > 0 && IsDigitItem();
      if (atom.empty() || min == 0) {
        endRun(digit);
        if (min > 0) consider(std::move(group), {});
      } else {
        if (ignoreCase_ && atom.size() == 1 && std::isalpha(static_cast<unsigned char>(atom[0])))
          run.asciiCaseless = true;
        if (run.bytes.empty()) runFlanks.before = digitBefore;
        run.bytes += atom;
        if (quantified) endRun(false);  // what follows may come after repeats
      }
      digitBefore = digit;
      i_ = next;
    }
    endRun(false);
    if (depth_ == 0) {
      flanks_ = bestFlanks;
      second_ = std::move(runnerUp);
    }
    return best;
  }

  // Whether the item at i_ is \d or [0-9], which take the ASCII digits alone.
  bool IsDigitItem() const {
    const std::string_view item = body_.substr(i_);
    return item.starts_with("\\d") || item.starts_with("[0-9]");
  }

  bool SkipClass(size_t& next) const {
    size_t j = i_ + 1;
    if (j < body_.size() && body_[j] == '^') ++j;
    if (j < body_.size() && body_[j] == ']') ++j;
    int depth = 1;
    while (j < body_.size() && depth > 0) {
      const auto d = static_cast<unsigned char>(body_[j]);
      if (d == '\\' || (sjis_ && IsLead(d))) {
        j += 2;
      } else {
        if (d == '[') ++depth;
        if (d == ']') --depth;
        ++j;
      }
    }
    if (depth > 0) return false;
    next = j;
    return true;
  }

  // Steps `next` past the class at i_, a ']' right after '[' or '[^'
  // belonging to it. It keeps a match in its line when it takes neither CR
  // nor LF, nor a double-byte code whose second byte is one of them: no
  // negation, nested class or property, and each range within ASCII or
  // within one lead byte.
  // When it takes double-byte characters alone, none of which folds case
  // when case is ignored, it also sets classRun_ to the bytes they may begin
  // and end with (count 1), and classChars_ to the characters it lists when
  // each stands for itself.
  bool ReadClass(size_t& next) {
    classRun_ = {};
    classChars_.clear();
    bool listsOnly = true;
    Set listed;
    CharRun run;
    bool givesRun = true;
    size_t j = i_ + 1;
    if (j < body_.size() && body_[j] == '^') {
      inLine_ = false;
      givesRun = false;
      listsOnly = false;
      ++j;
    }
    bool first = true;
    unsigned previous = 0;  // the code of the last single character, 0 after anything else
    while (j < body_.size() && (body_[j] != ']' || first)) {
      first = false;
      const auto d = static_cast<unsigned char>(body_[j]);
      unsigned code = 0;
      if (d == '\\') {
        if (j + 1 >= body_.size()) return false;
        const auto e = static_cast<unsigned char>(body_[j + 1]);
        if (e < 0x80 && std::ispunct(e)) code = e;
        else if (e != 'd' && e != 'h') inLine_ = false;
        givesRun = false;
        listsOnly = false;
        j += 2;
      } else if (sjis_ && IsLead(d)) {
        if (j + 1 >= body_.size()) return false;
        const auto trail = static_cast<unsigned char>(body_[j + 1]);
        code = d << 8 | trail;
        run.leads.set(d);
        run.trails.set(trail);
        if (ignoreCase_ && HasSjisCase(d, trail)) {
          listsOnly = false;
          givesRun = false;
        }
        const RequiredLiteral character{std::string(body_.substr(j, 2))};
        if (std::find(listed.begin(), listed.end(), character) == listed.end()) listed.push_back(character);
        j += 2;
      } else if (d == '[' || (d == '&' && j + 1 < body_.size() && body_[j + 1] == '&')) {
        inLine_ = false;  // nested classes and intersections aren't read
        return SkipClass(next);
      } else if (d == '-' && previous != 0 && j + 1 < body_.size() && body_[j + 1] != ']') {
        const auto e = static_cast<unsigned char>(body_[j + 1]);
        unsigned last = e;
        if (e == '\\' && j + 2 < body_.size() && std::ispunct(static_cast<unsigned char>(body_[j + 2]))) {
          last = static_cast<unsigned char>(body_[j + 2]);
          j += 3;
        } else if (sjis_ && IsLead(e) && j + 2 < body_.size()) {
          last = e << 8 | static_cast<unsigned char>(body_[j + 2]);
          j += 3;
        } else if (e == '\\' || e == '[' || (sjis_ && IsLead(e))) {
          return false;
        } else {
          j += 2;
        }
        const bool ascii = previous < 0x80 && last < 0x80;
        if (!(ascii ? !(previous <= '\r' && last >= '\n') : previous >> 8 == last >> 8)) inLine_ = false;
        if (previous >= 0x100 && last >= 0x100 && previous <= last &&
            !(ignoreCase_ && RangeHasSjisCase(previous, last))) {
          for (unsigned lead = previous >> 8; lead <= last >> 8; ++lead) run.leads.set(lead);
          if (previous >> 8 == last >> 8) {
            for (unsigned trail = previous & 0xFF; trail <= (last & 0xFF); ++trail) run.trails.set(trail);
          } else {
            run.trails.set();  // across lead bytes, any second byte
          }
        } else {
          givesRun = false;
        }
        previous = 0;
        listsOnly = false;
        continue;
      } else {
        code = d;
        givesRun = false;
        listsOnly = false;
        ++j;
      }
      if (code == '\r' || code == '\n') inLine_ = false;
      previous = code;
    }
    if (j >= body_.size()) return false;
    if (givesRun && run.leads.any()) {
      run.count = 1;
      classRun_ = run;
    }
    if (listsOnly && listed.size() <= kMaxRequiredLiterals) classChars_ = std::move(listed);
    next = j + 1;
    return true;
  }

  // Reads the item at i_ up to `next`: a plain character into `atom`, a
  // group's required runs into `group`; false for what isn't understood.
  bool ReadItem(std::string& atom, Set& group, size_t& next) {
    const auto c = static_cast<unsigned char>(body_[i_]);
    if (sjis_ && IsLead(c)) {
      if (i_ + 1 >= body_.size()) return false;
      const auto trail = static_cast<unsigned char>(body_[i_ + 1]);
      if (!(ignoreCase_ && HasSjisCase(c, trail))) atom = std::string(body_.substr(i_, 2));
      next = i_ + 2;
    } else if (c == '\\') {
      if (i_ + 1 >= body_.size()) return false;
      const auto e = static_cast<unsigned char>(body_[i_ + 1]);
      // An escaped punctuation mark stands for itself and a few letters are
      // classes or anchors; every other escape (codes, back references,
      // properties, quoting) may take arguments, so it isn't read at all.
      if (e < 0x80 && std::ispunct(e)) atom = std::string(1, static_cast<char>(e));
      else if (std::string_view("dDwWsShHbB").find(static_cast<char>(e)) == std::string_view::npos)
        return false;
      // Digits and hex digits are ASCII; the others take line breaks, or
      // every double-byte character, or look at the character before.
      if (e != 'd' && e != 'h' && !std::ispunct(e)) inLine_ = false;
      next = i_ + 2;
    } else if (c == '[') {
      if (!ReadClass(next)) return false;
      group = classChars_;
    } else if (c == '(') {
      // Plain and non-capturing groups only: the other (? forms set options
      // or look around, which can change what the rest means.
      size_t j = i_ + 1;
      if (j < body_.size() && body_[j] == '?') {
        if (j + 1 >= body_.size() || body_[j + 1] != ':') return false;
        j += 2;
      }
      i_ = j;
      ++depth_;
      group = Alternatives();
      --depth_;
      if (broken_ || i_ >= body_.size() || body_[i_] != ')') return false;
      next = i_ + 1;
    } else if (c == '.' || c == '^' || c == '$') {
      // a class or an anchor: breaks the run. A dot takes a CR, and a lead
      // byte with the line feed after it.
      inLine_ = false;
    } else if (sjis_ && c >= 0xA1 && c <= 0xDF) {
      atom = std::string(1, static_cast<char>(c));  // half-width katakana, one byte each, without case
    } else if (c == '*' || c == '+' || c == '?' || c == '{' || c == '}' || c == '#' || c == ')' || c < 0x20 ||
               c >= 0x80) {
      return false;
    } else {
      atom = std::string(1, static_cast<char>(c));
    }
    return true;
  }

  std::string_view body_;
  bool sjis_;
  bool ignoreCase_;
  size_t i_ = 0;
  bool broken_ = false;
  bool inLine_ = true;
  int depth_ = 0;          // of groups around i_
  bool branches_ = false;  // the pattern is an alternation
  CharRun classRun_;
  Set classChars_;
  CharRun charRun_;
  DigitFlanks flanks_;  // of the best run of the whole pattern's sequence
  Set second_;          // the next best set of the whole pattern's sequence
};

}  // namespace

std::vector<RequiredLiteral> FindRequiredLiterals(std::string_view body, bool sjis, bool ignoreCase) {
  return Reader(body, sjis, ignoreCase).Read();
}

std::vector<RequiredLiteral> FindAlsoRequiredLiterals(std::string_view body, bool sjis, bool ignoreCase) {
  return Reader(body, sjis, ignoreCase).FindAlsoRequired();
}

DigitFlanks FindDigitFlanks(std::string_view body, bool sjis, bool ignoreCase) {
  return Reader(body, sjis, ignoreCase).FindDigitFlanks();
}

CharRun FindCharRun(std::string_view body, bool sjis, bool ignoreCase) {
  return Reader(body, sjis, ignoreCase).FindCharRun();
}

bool StaysInLine(std::string_view body, bool sjis, bool ignoreCase) {
  return Reader(body, sjis, ignoreCase).StaysInLine();
}

std::string PlainLiteral(std::string_view body, bool sjis, bool ignoreCase) {
  // Only the escapes a plain-text search writes, each surely the mark itself.
  constexpr std::string_view kEscaped = "$()*+-.?[\\]^{|}/";
  constexpr std::string_view kSpecial = "$()*+.?[\\]^{|}";
  if (!sjis) return {};
  std::string bytes;
  for (size_t i = 0; i < body.size(); ++i) {
    const auto c = static_cast<unsigned char>(body[i]);
    if (IsLead(c)) {
      if (i + 1 >= body.size()) return {};
      const auto trail = static_cast<unsigned char>(body[i + 1]);
      if (!IsTrail(trail) || (ignoreCase && HasSjisCase(c, trail))) return {};
      bytes += body.substr(i++, 2);
    } else if (c == '\\') {
      if (i + 1 >= body.size() || kEscaped.find(body[i + 1]) == std::string_view::npos) return {};
      bytes += body[++i];
    } else if (c >= 0x20 && c < 0x7F) {
      if (kSpecial.find(static_cast<char>(c)) != std::string_view::npos ||
          (ignoreCase && std::isalpha(c)))
        return {};
      bytes += static_cast<char>(c);
    } else if (c >= 0xA1 && c <= 0xDF) {  // half-width katakana
      bytes += static_cast<char>(c);
    } else {
      return {};
    }
  }
  return bytes;
}

}  // namespace bregexp
