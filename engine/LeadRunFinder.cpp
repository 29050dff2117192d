#include "engine/LeadRunFinder.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tansa2 {
namespace {

// A longer run is found by its first bytes: they are enough to skip text.
constexpr int kMostCompared = 8;

}  // namespace

TLeadRunFinder::TLeadRunFinder(unsigned char lead, int count)
    : lead_(lead), count_(static_cast<size_t>(std::clamp(count, 1, kMostCompared))) {}

size_t TLeadRunFinder::Find(std::string_view text, size_t from) const {
  const size_t span = 2 * count_ - 1;  // bytes from the first lead byte to the last
  if (from > text.size() || text.size() - from < span) return std::string_view::npos;
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const size_t last = text.size() - span;  // the last place a run can begin
  size_t pos = from;
#if defined(__SSE2__)
  const __m128i lead = _mm_set1_epi8(static_cast<char>(lead_));
  auto at = [&](size_t i) { return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), lead); };
  for (; pos + 16 <= last + 1; pos += 16) {
    __m128i hits = at(pos);
    for (size_t k = 1; k < count_ && _mm_movemask_epi8(hits) != 0; ++k) hits = _mm_and_si128(hits, at(pos + 2 * k));
    if (const int bits = _mm_movemask_epi8(hits); bits != 0)
      return pos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
  }
#endif
  for (; pos <= last; ++pos) {
    size_t k = 0;
    while (k < count_ && data[pos + 2 * k] == lead_) ++k;
    if (k == count_) return pos;
  }
  return std::string_view::npos;
}

}  // namespace tansa2
