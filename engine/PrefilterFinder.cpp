#include "engine/PrefilterFinder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>


#if defined(TANSA2_HAVE_HYPERSCAN)
#include <hs.h>

#include "engine/Avx2.h"

// Vectorscan built for several processors picks its AVX-512 code where the
// processor has it, and that code (5.4.9) misses matches past the first 64
// bytes of a text for expressions like \x82[\x9f-\xf1] or a. (a byte and a
// class after it); its AVX2 code finds them. Such a build has an entry for
// each processor, and where it has this one the automaton is scanned by it.
extern "C" hs_error_t avx2_hs_scan(const hs_database_t* database, const char* data, unsigned length,
                                   unsigned flags, hs_scratch_t* scratch, match_event_handler onEvent,
                                   void* context) __attribute__((weak));
#endif

namespace tansa2 {

#if defined(TANSA2_HAVE_HYPERSCAN)

namespace {

// Bytes scanned in one go at most; the stretch ends at a line end.
constexpr size_t kStretch = 1 << 18;

struct TDatabaseFree {
  void operator()(hs_database_t* database) const { hs_free_database(database); }
};
struct TScratchFree {
  void operator()(hs_scratch_t* scratch) const { hs_free_scratch(scratch); }
};

bool IsBreak(char c) { return c == '\n' || c == '\r'; }

struct TScan {
  const char* block;
  size_t length;
  std::vector<size_t>* found;
  size_t lineEnd = 0;  // of the last line found
};

void Keep(TScan& scan, size_t at) {
  if (at >= scan.length || (!scan.found->empty() && at < scan.lineEnd)) return;
  scan.found->push_back(at);
  size_t end = at;
  while (end < scan.length && !IsBreak(scan.block[end])) ++end;
  scan.lineEnd = end + 1;
}

// A match ending at `to` lies in the line of its last byte. When that byte
// is a line break, the match is a cut-off lead byte and its break, or it is
// empty and begins the next line: both lines are kept. Each line once.
int OnMatch(unsigned, unsigned long long, unsigned long long to, unsigned, void* context) {
  auto* scan = static_cast<TScan*>(context);
  if (to == 0) {
    Keep(*scan, 0);
  } else {
    Keep(*scan, to - 1);
    if (IsBreak(scan->block[to - 1])) Keep(*scan, to);
  }
  return 0;
}

// Whether automata are built for and scanned by the AVX2 code alone.
bool ByAvx2() { return avx2_hs_scan != nullptr && HasAvx2(); }

// Null with `error` set when the expression can't be compiled.
hs_database_t* Compile(const char* expression, unsigned flags, hs_compile_error_t*& error) {
  hs_platform_info_t avx2{};
  if (ByAvx2()) {
    if (hs_populate_platform(&avx2) != HS_SUCCESS) return nullptr;
    avx2.cpu_features &= HS_CPU_FEATURES_AVX2;
  }
  hs_database_t* database = nullptr;
  if (hs_compile(expression, flags, HS_MODE_BLOCK, ByAvx2() ? &avx2 : nullptr, &database, &error) != HS_SUCCESS)
    return nullptr;
  return database;
}

void Scan(const hs_database_t* database, std::string_view block, hs_scratch_t* scratch, match_event_handler onMatch,
          void* context) {
  (ByAvx2() ? avx2_hs_scan : hs_scan)(database, block.data(), static_cast<unsigned>(block.size()), 0, scratch,
                                      onMatch, context);
}

int CountMatch(unsigned, unsigned long long, unsigned long long, unsigned, void* context) {
  ++*static_cast<int*>(context);
  return 0;
}

// Whether the library, as Compile and Scan use it, finds what it must on
// this processor: the shape its AVX-512 code loses, at every place of a
// block. Tried once a process; where it fails (a build without the AVX2
// entry on such a processor, or a fault of its own elsewhere), no
// automaton is built and the search keeps to its own finders.
bool LibraryFindsEveryMatch() {
  hs_compile_error_t* error = nullptr;
  hs_database_t* database = Compile("\\xb1[\\xb0-\\xdd]", HS_FLAG_PREFILTER, error);
  if (!database) {
    hs_free_compile_error(error);
    return false;
  }
  const std::unique_ptr<hs_database_t, TDatabaseFree> kept(database);
  hs_scratch_t* scratch = nullptr;
  if (hs_alloc_scratch(database, &scratch) != HS_SUCCESS) return false;
  const std::unique_ptr<hs_scratch_t, TScratchFree> keptScratch(scratch);
  std::string block(256, 'a');
  for (size_t at = 0; at + 1 < block.size(); ++at) {
    block.replace(at, 2, "\xb1\xb1");
    int found = 0;
    Scan(database, block, scratch, CountMatch, &found);
    block.replace(at, 2, "aa");
    if (found == 0) return false;
  }
  return true;
}

constexpr bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

struct TPrefilterFinder::TAutomaton {
  std::unique_ptr<hs_database_t, TDatabaseFree> database;
  std::unique_ptr<hs_scratch_t, TScratchFree> scratch;
};

std::optional<TPrefilterFinder> TPrefilterFinder::Of(std::string_view body, bool ignoreCase, bool keepAnchors,
                                                     TPrefilterCode code) {
  static const bool usable = hs_valid_platform() == HS_SUCCESS && LibraryFindsEveryMatch();
  if (!usable) return std::nullopt;
  const std::optional<TPrefilterPattern> pattern = TranslatePrefilter(body, ignoreCase, keepAnchors, code);
  if (!pattern) return std::nullopt;
  constexpr unsigned kFlags = HS_FLAG_ALLOWEMPTY | HS_FLAG_MULTILINE | HS_FLAG_PREFILTER;
  hs_expr_info_t* info = nullptr;
  hs_compile_error_t* error = nullptr;
  if (hs_expression_info(pattern->expression.c_str(), kFlags, &info, &error) != HS_SUCCESS) {
    hs_free_compile_error(error);
    return std::nullopt;
  }
  // Matching nothing, without an anchor, is matching at every place.
  const bool everywhere = info->min_width == 0 && !pattern->anchored;
  std::free(info);
  if (everywhere) return std::nullopt;
  hs_database_t* database = Compile(pattern->expression.c_str(), kFlags, error);
  if (!database) {
    hs_free_compile_error(error);
    return std::nullopt;
  }
  auto automaton = std::make_unique<TAutomaton>();
  automaton->database.reset(database);
  hs_scratch_t* scratch = nullptr;
  if (hs_alloc_scratch(database, &scratch) != HS_SUCCESS) return std::nullopt;
  automaton->scratch.reset(scratch);
  return TPrefilterFinder(std::move(automaton), pattern->anchored);
}

size_t TPrefilterFinder::TScanner::Find(std::string_view text, size_t from) const {
  // The lines already found, when `from` lies in the stretch last scanned.
  if (scanned_ && from >= stretchFrom_ && from <= stretchEnd_) {
    while (next_ < found_.size() && stretchFrom_ + found_[next_] < from) ++next_;
    if (next_ < found_.size()) return stretchFrom_ + found_[next_++];
    if (stretchEnd_ < text.size() && from < stretchEnd_) return stretchEnd_;  // a line to test, now and then
    from = std::max(from, stretchEnd_);
  }
  if (from >= text.size()) return std::string_view::npos;
  size_t end = text.size();
  if (end - from > kStretch) {
    // Cut at a line end; a lot of text without one is scanned whole.
    const void* lf = std::memchr(text.data() + from + kStretch, '\n', end - from - kStretch);
    if (lf) end = static_cast<const char*>(lf) - text.data();
  }
  const size_t length = std::min<size_t>(end - from, 0xFFFFFFFFu);
  scanned_ = true;
  stretchFrom_ = from;
  stretchEnd_ = from + length;
  found_.clear();
  next_ = 0;
  TScan scan{text.data() + from, length, &found_};
  Scan(automaton_.database.get(), {scan.block, length}, automaton_.scratch.get(), OnMatch, &scan);
  // A lead byte cut off by the end of the text, which the automaton can't
  // see as a character: its line is tested.
  if (stretchEnd_ == text.size() && IsLead(static_cast<unsigned char>(text.back()))) Keep(scan, length - 1);
  return Find(text, from);
}

#else

struct TPrefilterFinder::TAutomaton {};

std::optional<TPrefilterFinder> TPrefilterFinder::Of(std::string_view, bool, bool, TPrefilterCode) {
  return std::nullopt;
}

size_t TPrefilterFinder::TScanner::Find(std::string_view, size_t) const { return std::string_view::npos; }

#endif

TPrefilterFinder::TPrefilterFinder(std::unique_ptr<TAutomaton> automaton, bool anchored)
    : automaton_(std::move(automaton)), anchored_(anchored) {}
TPrefilterFinder::TPrefilterFinder(TPrefilterFinder&&) noexcept = default;
TPrefilterFinder& TPrefilterFinder::operator=(TPrefilterFinder&&) noexcept = default;
TPrefilterFinder::~TPrefilterFinder() = default;

}  // namespace tansa2
