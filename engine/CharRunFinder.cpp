#include "engine/CharRunFinder.h"

#include <algorithm>
#include <tuple>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tansa2 {
namespace {

// A longer run is found by its first characters: they are enough to skip text.
constexpr int kMostCompared = 8;

// The lowest member of a non-empty set and the distance to its highest.
std::pair<unsigned char, unsigned char> RangeOf(const std::bitset<256>& set) {
  unsigned low = 0;
  while (low < 255 && !set[low]) ++low;
  unsigned high = 255;
  while (high > low && !set[high]) --high;
  return {static_cast<unsigned char>(low), static_cast<unsigned char>(high - low)};
}

}  // namespace

TCharRunFinder::TCharRunFinder(const std::bitset<256>& leads, const std::bitset<256>& trails, int count)
    : leads_(leads), trails_(trails), count_(static_cast<size_t>(std::clamp(count, 1, kMostCompared))) {
  std::tie(leadLow_, leadSpan_) = RangeOf(leads_);
  std::tie(trailLow_, trailSpan_) = RangeOf(trails_);
}

bool TCharRunFinder::RunsAt(const unsigned char* data) const {
  for (size_t k = 0; k < count_; ++k)
    if (!leads_[data[2 * k]] || !trails_[data[2 * k + 1]]) return false;
  return true;
}

size_t TCharRunFinder::Find(std::string_view text, size_t from) const {
  const size_t span = 2 * count_;  // bytes of the run
  if (from > text.size() || text.size() - from < span) return std::string_view::npos;
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const size_t last = text.size() - span;  // the last place a run can begin
  size_t pos = from;
#if defined(__SSE2__)
  // A byte lies in [low, low + span] when it is at most `span` above `low`.
  struct TRange {
    __m128i low, span;
  };
  const auto rangeOf = [](unsigned char low, unsigned char span) {
    return TRange{_mm_set1_epi8(static_cast<char>(low)), _mm_set1_epi8(static_cast<char>(span))};
  };
  const TRange leadRange = rangeOf(leadLow_, leadSpan_);
  const TRange trailRange = rangeOf(trailLow_, trailSpan_);
  const auto within = [data](size_t i, const TRange& range) {
    const __m128i above = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), range.low);
    return _mm_cmpeq_epi8(_mm_min_epu8(above, range.span), above);
  };
  const bool anyTrail = trails_.all();
  for (; pos + 16 <= last + 1; pos += 16) {
    __m128i hits = within(pos, leadRange);
    for (size_t k = 0; k < count_ && _mm_movemask_epi8(hits) != 0; ++k) {
      if (k > 0) hits = _mm_and_si128(hits, within(pos + 2 * k, leadRange));
      if (!anyTrail) hits = _mm_and_si128(hits, within(pos + 2 * k + 1, trailRange));
    }
    for (auto bits = static_cast<unsigned>(_mm_movemask_epi8(hits)); bits != 0; bits &= bits - 1) {
      const size_t at = pos + static_cast<size_t>(__builtin_ctz(bits));
      if (RunsAt(data + at)) return at;
    }
  }
#endif
  for (; pos <= last; ++pos)
    if (RunsAt(data + pos)) return pos;
  return std::string_view::npos;
}

}  // namespace tansa2
