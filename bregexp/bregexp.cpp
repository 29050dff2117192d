#include "bregexp/bregexp.h"
#include "bregexp/required_literal.h"

#include <oniguruma.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Shift-JIS lead bytes; kept here so the library stands alone.
constexpr bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

struct Impl {
  std::string pattern;
  regex_t* reg = nullptr;
  OnigRegion* region = nullptr;
  std::vector<char*> starts;
  std::vector<char*> ends;

  ~Impl() {
    if (region) onig_region_free(region, 1);
    if (reg) onig_free(reg);
  }
};

void SetMessage(char* message, std::string_view text) {
  if (!message) return;
  const size_t n = std::min(text.size(), size_t{BREGEXP_MESSAGE_SIZE - 1});
  std::memcpy(message, text.data(), n);
  message[n] = '\0';
}

void SetOnigMessage(char* message, int code, OnigErrorInfo* info) {
  OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN] = {};
  onig_error_code_to_str(text, code, info);
  SetMessage(message, reinterpret_cast<const char*>(text));
}

void Initialize() {
  static std::once_flag once;
  std::call_once(once, [] {
    OnigEncoding encodings[] = {ONIG_ENCODING_ASCII, ONIG_ENCODING_SJIS};
    onig_initialize(encodings, sizeof encodings / sizeof encodings[0]);
  });
}

struct Parsed {
  std::string_view body;
  OnigEncoding encoding = ONIG_ENCODING_ASCII;
  OnigOptionType options = ONIG_OPTION_NONE;
};

// Splits m/BODY/FLAGS. The closing slash is the last one, since flags hold
// none; a slash inside BODY needs no escape. Returns an error text or "".
const char* Parse(std::string_view text, Parsed& out) {
  if (text.substr(0, 2) != "m/") return "pattern must begin with m/";
  const size_t close = text.rfind('/');
  if (close < 2) return "no closing slash in pattern";
  for (char flag : text.substr(close + 1)) {
    if (flag == 'k') {
      out.encoding = ONIG_ENCODING_SJIS;
    } else if (flag == 'i') {
      out.options |= ONIG_OPTION_IGNORECASE;
    } else {
      return "unknown flag in pattern";
    }
  }
  // A backslash, or with k a lead byte, takes the next byte along; when that
  // byte is the last slash, the pattern is left open.
  const bool sjis = out.encoding == ONIG_ENCODING_SJIS;
  size_t i = 2;
  while (i < close) {
    const auto c = static_cast<unsigned char>(text[i]);
    i += (c == '\\' || (sjis && IsSjisLeadByte(c))) ? 2 : 1;
  }
  if (i > close) return "no closing slash in pattern";
  out.body = text.substr(2, close - 2);
  return "";
}

std::unique_ptr<Impl> Compile(const char* pattern, char* message) {
  Parsed parsed;
  if (const char* error = Parse(pattern, parsed); *error) {
    SetMessage(message, error);
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->pattern = pattern;
  const auto* begin = reinterpret_cast<const OnigUChar*>(parsed.body.data());
  OnigErrorInfo info{};
  const int code = onig_new(&impl->reg, begin, begin + parsed.body.size(), parsed.options,
                            parsed.encoding, ONIG_SYNTAX_PERL, &info);
  if (code != ONIG_NORMAL) {
    SetOnigMessage(message, code, &info);
    return nullptr;
  }
  impl->region = onig_region_new();
  if (!impl->region) throw std::bad_alloc();
  const size_t slots = static_cast<size_t>(onig_number_of_captures(impl->reg)) + 1;
  impl->starts.assign(slots, nullptr);
  impl->ends.assign(slots, nullptr);
  return impl;
}

BRegexpCompiled* NewRecord(std::unique_ptr<Impl> impl) {
  auto* record = new BRegexpCompiled{};
  record->pattern = impl->pattern.data();
  record->startp = impl->starts.data();
  record->endp = impl->ends.data();
  record->nparens = static_cast<int>(impl->starts.size()) - 1;
  record->impl = impl.release();
  return record;
}

int Search(BRegexpCompiled* record, const char* text, const char* textEnd, char* message) {
  auto* impl = static_cast<Impl*>(record->impl);
  std::fill(impl->starts.begin(), impl->starts.end(), nullptr);
  std::fill(impl->ends.begin(), impl->ends.end(), nullptr);
  const auto* begin = reinterpret_cast<const OnigUChar*>(text);
  const auto* end = reinterpret_cast<const OnigUChar*>(textEnd);
  const int found = onig_search(impl->reg, begin, end, begin, end, impl->region, ONIG_OPTION_NONE);
  if (found == ONIG_MISMATCH) return 0;
  if (found < 0) {
    SetOnigMessage(message, found, nullptr);
    return -1;
  }
  // The caller's text is writable or not; the record only points into it.
  // A lead byte cut off by the text's end counts as a whole character to
  // Oniguruma, so the bounds are held inside the text.
  char* base = const_cast<char*>(text);
  const long length = textEnd - text;
  const int groups = std::min(impl->region->num_regs, static_cast<int>(impl->starts.size()));
  for (int g = 0; g < groups; ++g) {
    if (impl->region->beg[g] == ONIG_REGION_NOTPOS) continue;
    impl->starts[g] = base + std::min<long>(impl->region->beg[g], length);
    impl->ends[g] = base + std::min<long>(impl->region->end[g], length);
  }
  return 1;
}

}  // namespace

extern "C" int BMatch(const char* pattern, const char* text, const char* textEnd,
                      BRegexpCompiled** compiled, char* message) {
  SetMessage(message, "");
  if (!pattern || !compiled || !text || !textEnd || textEnd < text) {
    SetMessage(message, "invalid argument");
    return -1;
  }
  try {
    Initialize();
    if (*compiled && std::strcmp((*compiled)->pattern, pattern) != 0) {
      BRegfree(*compiled);
      *compiled = nullptr;
    }
    if (!*compiled) {
      std::unique_ptr<Impl> impl = Compile(pattern, message);
      if (!impl) return -1;
      *compiled = NewRecord(std::move(impl));
    }
    return Search(*compiled, text, textEnd, message);
  } catch (const std::bad_alloc&) {
    SetMessage(message, "out of memory");
    return -1;
  }
}

extern "C" void BRegfree(BRegexpCompiled* compiled) {
  if (!compiled) return;
  delete static_cast<Impl*>(compiled->impl);
  delete compiled;
}

namespace {

// Runs `analyse(body, sjis, ignoreCase)` on a pattern that parses. Every
// analysis answers 0 for "nothing known", as for a pattern that doesn't
// parse or memory that runs out.
template <class Analyse>
int AnalysePattern(const char* pattern, Analyse analyse) {
  if (!pattern) return 0;
  Parsed parsed;
  if (*Parse(pattern, parsed)) return 0;
  try {
    return analyse(parsed.body, parsed.encoding == ONIG_ENCODING_SJIS,
                   (parsed.options & ONIG_OPTION_IGNORECASE) != 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace

namespace {

// Writes a set of runs as BRequiredLiterals describes; 0 when it doesn't fit.
int WriteLiterals(const std::vector<bregexp::RequiredLiteral>& found, char* bytes, int size, int* lengths,
                  int* asciiCaseless, int count) {
  size_t total = 0;
  for (const bregexp::RequiredLiteral& literal : found) total += literal.bytes.size();
  if (found.empty() || found.size() > static_cast<size_t>(count) || total > static_cast<size_t>(size)) return 0;
  for (const bregexp::RequiredLiteral& literal : found) {
    std::memcpy(bytes, literal.bytes.data(), literal.bytes.size());
    bytes += literal.bytes.size();
    *lengths++ = static_cast<int>(literal.bytes.size());
    *asciiCaseless++ = literal.asciiCaseless;
  }
  return static_cast<int>(found.size());
}

}  // namespace

extern "C" int BRequiredLiterals(const char* pattern, char* bytes, int size, int* lengths, int* asciiCaseless,
                                 int count) {
  if (!bytes || size <= 0 || !lengths || !asciiCaseless || count <= 0) return 0;
  return AnalysePattern(pattern, [&](std::string_view body, bool sjis, bool ignoreCase) {
    return WriteLiterals(bregexp::FindRequiredLiterals(body, sjis, ignoreCase), bytes, size, lengths, asciiCaseless,
                         count);
  });
}

extern "C" int BAlsoRequiredLiterals(const char* pattern, char* bytes, int size, int* lengths, int* asciiCaseless,
                                     int count) {
  if (!bytes || size <= 0 || !lengths || !asciiCaseless || count <= 0) return 0;
  return AnalysePattern(pattern, [&](std::string_view body, bool sjis, bool ignoreCase) {
    return WriteLiterals(bregexp::FindAlsoRequiredLiterals(body, sjis, ignoreCase), bytes, size, lengths,
                         asciiCaseless, count);
  });
}

extern "C" int BStaysInLine(const char* pattern) {
  return AnalysePattern(pattern, [](std::string_view body, bool sjis, bool ignoreCase) {
    return static_cast<int>(bregexp::StaysInLine(body, sjis, ignoreCase));
  });
}

extern "C" int BRequiredCharRun(const char* pattern, unsigned char* leads, unsigned char* trails,
                                int* startsMatch) {
  if (!leads || !trails || !startsMatch) return 0;
  std::memset(leads, 0, 32);
  std::memset(trails, 0, 32);
  *startsMatch = 0;
  return AnalysePattern(pattern, [&](std::string_view body, bool sjis, bool ignoreCase) {
    const bregexp::CharRun run = bregexp::FindCharRun(body, sjis, ignoreCase);
    for (unsigned byte = 0; byte < 256; ++byte) {
      if (run.leads[byte]) leads[byte / 8] |= static_cast<unsigned char>(1u << byte % 8);
      if (run.trails[byte]) trails[byte / 8] |= static_cast<unsigned char>(1u << byte % 8);
    }
    *startsMatch = run.startsMatch ? 1 : 0;
    return run.count;
  });
}

extern "C" int BRequiredDigitFlanks(const char* pattern) {
  return AnalysePattern(pattern, [](std::string_view body, bool sjis, bool ignoreCase) {
    const bregexp::DigitFlanks flanks = bregexp::FindDigitFlanks(body, sjis, ignoreCase);
    return (flanks.before ? 1 : 0) | (flanks.after ? 2 : 0);
  });
}

extern "C" int BPlainLiteral(const char* pattern, char* bytes, int size) {
  if (!bytes || size <= 0) return 0;
  return AnalysePattern(pattern, [&](std::string_view body, bool sjis, bool ignoreCase) {
    const std::string literal = bregexp::PlainLiteral(body, sjis, ignoreCase);
    if (literal.size() > static_cast<size_t>(size)) return 0;
    std::memcpy(bytes, literal.data(), literal.size());
    return static_cast<int>(literal.size());
  });
}
