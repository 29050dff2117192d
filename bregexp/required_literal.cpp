#include "bregexp/required_literal.h"

#include <cctype>

namespace bregexp {
namespace {

constexpr bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Double-byte characters that have a case partner under ignore-case: the
// full-width Latin letters, Greek and Cyrillic.
bool HasSjisCase(unsigned char lead, unsigned char trail) {
  const unsigned code = lead << 8 | trail;
  return (code >= 0x8260 && code <= 0x829A) || (code >= 0x839F && code <= 0x83D6) ||
         (code >= 0x8440 && code <= 0x8491);
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

}  // namespace

RequiredLiteral FindRequiredLiteral(std::string_view body, bool sjis, bool ignoreCase) {
  RequiredLiteral none;
  // Inline options and groups can change what the rest means; alternation
  // makes no single run required. Patterns with them get no literal.
  for (size_t i = 0; i < body.size(); ++i) {
    const auto c = static_cast<unsigned char>(body[i]);
    if (sjis && IsLead(c)) {
      ++i;
    } else if (c == '\\') {
      ++i;
    } else if (c == '|' || c == '(' || c == ')') {
      return none;
    }
  }

  std::string best;
  std::string run;
  bool runHasLetter = false;
  bool bestHasLetter = false;
  auto endRun = [&] {
    if (run.size() > best.size()) {
      best = run;
      bestHasLetter = runHasLetter;
    }
    run.clear();
    runHasLetter = false;
  };

  size_t i = 0;
  while (i < body.size()) {
    const auto c = static_cast<unsigned char>(body[i]);
    std::string atom;  // the plain character at i, if it is one
    size_t next = i + 1;
    if (sjis && IsLead(c)) {
      if (i + 1 >= body.size()) return none;
      const auto trail = static_cast<unsigned char>(body[i + 1]);
      if (!(ignoreCase && HasSjisCase(c, trail))) atom = std::string(body.substr(i, 2));
      next = i + 2;
    } else if (c == '\\') {
      if (i + 1 >= body.size()) return none;
      const auto e = static_cast<unsigned char>(body[i + 1]);
      // An escaped punctuation mark stands for itself and a few letters are
      // classes or anchors; every other escape (codes, back references,
      // properties, quoting) may take arguments, so it isn't read at all.
      if (e < 0x80 && std::ispunct(e)) atom = std::string(1, static_cast<char>(e));
      else if (std::string_view("dDwWsShHbB").find(static_cast<char>(e)) == std::string_view::npos)
        return none;
      next = i + 2;
    } else if (c == '[') {
      // Skip the class: a ']' right after '[' or '[^' belongs to it.
      size_t j = i + 1;
      if (j < body.size() && body[j] == '^') ++j;
      if (j < body.size() && body[j] == ']') ++j;
      int depth = 1;
      while (j < body.size() && depth > 0) {
        const auto d = static_cast<unsigned char>(body[j]);
        if (d == '\\' || (sjis && IsLead(d))) j += 2;
        else {
          if (d == '[') ++depth;
          if (d == ']') --depth;
          ++j;
        }
      }
      if (depth > 0) return none;
      next = j;
    } else if (c == '.' || c == '^' || c == '$') {
      // a class or an anchor: breaks the run
    } else if (c == '*' || c == '+' || c == '?' || c == '{' || c == '}' || c == '#' || c < 0x20 || c >= 0x80) {
      return none;
    } else {
      atom = std::string(1, static_cast<char>(c));
    }

    int min = 1;
    bool malformed = false;
    const bool quantified = ReadQuantifier(body, next, min, malformed);
    if (malformed) return none;
    if (atom.empty() || min == 0) {
      endRun();
    } else {
      if (ignoreCase && atom.size() == 1 && std::isalpha(static_cast<unsigned char>(atom[0])))
        runHasLetter = true;
      run += atom;
      if (quantified) endRun();  // what follows may come after repeats
    }
    i = next;
  }
  endRun();
  if (best.find_first_of("\r\n") != std::string::npos) return none;
  return {best, bestHasLetter};
}

}  // namespace bregexp
