#include "engine/CharRunFinder.h"

#include <algorithm>
#include <utility>

#include "engine/Avx2.h"

namespace tansa2 {
namespace {

// A longer run is found by its first characters: they are enough to skip
// text, and each of their bytes has a bit of a 32-bit mask.
constexpr size_t kMostCompared = 8;
constexpr size_t kMostBytes = 24;

// The lowest member of a non-empty set and the distance to its highest.
std::pair<unsigned char, unsigned char> RangeOf(const std::bitset<256>& set) {
  unsigned low = 0;
  while (low < 255 && !set[low]) ++low;
  unsigned high = 255;
  while (high > low && !set[high]) --high;
  return {static_cast<unsigned char>(low), static_cast<unsigned char>(high - low)};
}

std::vector<TCharPlace> Repeated(const std::bitset<256>& leads, const std::bitset<256>& trails, int count) {
  return std::vector<TCharPlace>(std::clamp<size_t>(static_cast<size_t>(std::max(count, 1)), 1, kMostCompared),
                                 TCharPlace{{leads, trails}});
}

}  // namespace

TCharRunFinder::TCharRunFinder(const std::bitset<256>& leads, const std::bitset<256>& trails, int count)
    : TCharRunFinder(Repeated(leads, trails, count)) {}

TCharRunFinder::TCharRunFinder(const std::vector<TCharPlace>& places) {
  for (const TCharPlace& place : places) {
    if (count_ == static_cast<int>(kMostCompared) || length_ + place.bytes.size() > kMostBytes) break;
    ++count_;
    for (const std::bitset<256>& values : place.bytes) {
      for (size_t byte = 0; byte < 256; ++byte)
        if (values[byte]) byteBits_[byte] |= uint32_t{1} << length_;
      if (!values.all()) {
        const auto [low, span] = RangeOf(values);
        sieves_.push_back({low, span, length_});
      }
      ++length_;
    }
  }
  std::stable_sort(sieves_.begin(), sieves_.end(), [](const TSieve& a, const TSieve& b) { return a.span < b.span; });
}

bool TCharRunFinder::RunsAt(const unsigned char* data) const {
  for (size_t k = 0; k < length_; ++k)
    if ((byteBits_[data[k]] >> k & 1) == 0) return false;
  return true;
}

#if defined(__x86_64__)
TANSA2_AVX2_BEGIN
namespace {

// The places of thirty-two bytes at `at` that lie in [low, low + span]: at
// most `span` above `low`.
__m256i WithinWide(const unsigned char* at, unsigned char low, unsigned char span) {
  const __m256i above = _mm256_sub_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)),
                                        _mm256_set1_epi8(static_cast<char>(low)));
  return _mm256_cmpeq_epi8(_mm256_min_epu8(above, _mm256_set1_epi8(static_cast<char>(span))), above);
}

}  // namespace

size_t TCharRunFinder::FindWide(const unsigned char* data, size_t last, size_t& pos) const {
  for (; pos + 32 <= last + 1; pos += 32) {
    __m256i hits = _mm256_set1_epi8(-1);
    for (const TSieve& sieve : sieves_) {
      hits = _mm256_and_si256(hits, WithinWide(data + pos + sieve.offset, sieve.low, sieve.span));
      if (_mm256_movemask_epi8(hits) == 0) break;
    }
    for (auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hits)); bits != 0; bits &= bits - 1) {
      const size_t at = pos + static_cast<size_t>(__builtin_ctz(bits));
      if (RunsAt(data + at)) return at;
    }
  }
  return std::string_view::npos;
}
TANSA2_AVX2_END
#endif

size_t TCharRunFinder::Find(std::string_view text, size_t from) const {
  if (from > text.size() || text.size() - from < length_) return std::string_view::npos;
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const size_t last = text.size() - length_;  // the last place a run can begin
  size_t pos = from;
#if defined(__x86_64__)
  if (HasAvx2())
    if (const size_t found = FindWide(data, last, pos); found != std::string_view::npos) return found;
#endif
#if defined(__SSE2__)
  // A byte lies in [low, low + span] when it is at most `span` above `low`.
  const auto within = [data](size_t i, unsigned char low, unsigned char span) {
    const __m128i above = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)),
                                       _mm_set1_epi8(static_cast<char>(low)));
    return _mm_cmpeq_epi8(_mm_min_epu8(above, _mm_set1_epi8(static_cast<char>(span))), above);
  };
  for (; pos + 16 <= last + 1; pos += 16) {
    __m128i hits = _mm_set1_epi8(-1);
    for (const TSieve& sieve : sieves_) {
      hits = _mm_and_si128(hits, within(pos + sieve.offset, sieve.low, sieve.span));
      if (_mm_movemask_epi8(hits) == 0) break;
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
