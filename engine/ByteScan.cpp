#include "engine/ByteScan.h"

#include <algorithm>

#include "engine/Avx2.h"

namespace tansa2 {
namespace {

using uchar = unsigned char;

const uchar* Bytes(std::string_view text) { return reinterpret_cast<const uchar*>(text.data()); }

unsigned Utf16Unit(const uchar* at, bool bigEndian) {
  return bigEndian ? at[0] << 8 | at[1] : at[1] << 8 | at[0];
}

#if defined(__SSE2__)
__m128i Load(const uchar* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// Adds up the marked bytes (0xFF) that `marks` gives for each block of
// sixteen from `pos` while a block fits before `end`; `pos` ends after the
// last block. Bytes count in lanes, which are summed before they can wrap.
template <class TMarks>
size_t CountMarkedBlocks(const uchar* data, size_t& pos, size_t end, TMarks marks) {
  size_t total = 0;
  const __m128i zero = _mm_setzero_si128();
  while (pos + 16 <= end) {
    __m128i lanes = zero;
    for (int block = 0; block < 255 && pos + 16 <= end; ++block, pos += 16)
      lanes = _mm_sub_epi8(lanes, marks(data + pos));
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    total += static_cast<size_t>(_mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
  }
  return total;
}

// Offset of the first block from `pos` where `marks` sets a bit, plus the
// bit's offset; `pos` ends where blocks stop fitting when none does.
template <class TMarks>
size_t FindMarkedBlock(const uchar* data, size_t& pos, size_t end, TMarks marks) {
  for (; pos + 16 <= end; pos += 16)
    if (const int bits = _mm_movemask_epi8(marks(data + pos)); bits != 0)
      return pos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
  return std::string_view::npos;
}
#endif

#if defined(__x86_64__)
TANSA2_AVX2_BEGIN
__m256i LoadWide(const uchar* at) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)); }

// CountMarkedBlocks thirty-two bytes at a time.
template <class TMarks>
size_t CountMarkedWideBlocks(const uchar* data, size_t& pos, size_t end, TMarks marks) {
  size_t total = 0;
  const __m256i zero = _mm256_setzero_si256();
  while (pos + 32 <= end) {
    __m256i lanes = zero;
    for (int block = 0; block < 255 && pos + 32 <= end; ++block, pos += 32)
      lanes = _mm256_sub_epi8(lanes, marks(data + pos));
    const __m256i sums = _mm256_sad_epu8(lanes, zero);
    total += static_cast<size_t>(_mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
                                 _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3));
  }
  return total;
}

size_t CountCrOrLfBreaksWide(const uchar* data, size_t& pos, size_t end) {
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  return CountMarkedWideBlocks(data, pos, end, [&](const uchar* at) {
    const __m256i bytes = LoadWide(at);
    const __m256i loneCr = _mm256_andnot_si256(_mm256_cmpeq_epi8(LoadWide(at + 1), lf), _mm256_cmpeq_epi8(bytes, cr));
    return _mm256_or_si256(_mm256_cmpeq_epi8(bytes, lf), loneCr);
  });
}

size_t CountLfWide(const uchar* data, size_t& pos, size_t end) {
  const __m256i lf = _mm256_set1_epi8('\n');
  return CountMarkedWideBlocks(data, pos, end, [&](const uchar* at) { return _mm256_cmpeq_epi8(LoadWide(at), lf); });
}
TANSA2_AVX2_END
#else
size_t CountCrOrLfBreaksWide(const uchar*, size_t&, size_t) { return 0; }
size_t CountLfWide(const uchar*, size_t&, size_t) { return 0; }
#endif

}  // namespace

size_t FindCrOrLf(std::string_view text, size_t from) {
  const uchar* data = Bytes(text);
  size_t pos = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const size_t found = FindMarkedBlock(data, pos, text.size(), [&](const uchar* at) {
    const __m128i bytes = Load(at);
    return _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf));
  });
  if (found != std::string_view::npos) return found;
#endif
  for (; pos < text.size(); ++pos)
    if (data[pos] == '\r' || data[pos] == '\n') return pos;
  return text.size();
}

size_t CountCrOrLfBreaks(std::string_view text, size_t from, size_t to) {
  const uchar* data = Bytes(text);
  size_t pos = from;
  size_t count = 0;
#if defined(__SSE2__)
  // Each block also looks at the byte after it, for the LF after a CR.
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  if (!text.empty() && HasAvx2()) count = CountCrOrLfBreaksWide(data, pos, std::min(to, text.size() - 1));
  if (!text.empty())
    count += CountMarkedBlocks(data, pos, std::min(to, text.size() - 1), [&](const uchar* at) {
      const __m128i bytes = Load(at);
      const __m128i loneCr = _mm_andnot_si128(_mm_cmpeq_epi8(Load(at + 1), lf), _mm_cmpeq_epi8(bytes, cr));
      return _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), loneCr);
    });
#endif
  for (; pos < to; ++pos)
    count += data[pos] == '\n' || (data[pos] == '\r' && (pos + 1 >= text.size() || data[pos + 1] != '\n'));
  return count;
}

size_t CountLf(std::string_view text, size_t from, size_t to) {
  const uchar* data = Bytes(text);
  size_t pos = from;
  size_t count = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  if (HasAvx2()) count = CountLfWide(data, pos, to);
  count += CountMarkedBlocks(data, pos, to, [&](const uchar* at) { return _mm_cmpeq_epi8(Load(at), lf); });
#endif
  for (; pos < to; ++pos) count += data[pos] == '\n';
  return count;
}

size_t FindUtf16Break(std::string_view text, size_t from, bool bigEndian) {
  const uchar* data = Bytes(text);
  size_t pos = from;
#if defined(__SSE2__)
  // A unit loaded as a little-endian 16-bit lane.
  const __m128i cr = _mm_set1_epi16(static_cast<short>(bigEndian ? 0x0D00 : 0x000D));
  const __m128i lf = _mm_set1_epi16(static_cast<short>(bigEndian ? 0x0A00 : 0x000A));
  const size_t found = FindMarkedBlock(data, pos, text.size(), [&](const uchar* at) {
    const __m128i units = Load(at);
    return _mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf));
  });
  if (found != std::string_view::npos) return found;
#endif
  for (; pos + 1 < text.size(); pos += 2)
    if (const unsigned unit = Utf16Unit(data + pos, bigEndian); unit == '\r' || unit == '\n') return pos;
  return text.size();
}

size_t CountUtf16Breaks(std::string_view text, size_t from, size_t to, bool bigEndian) {
  const uchar* data = Bytes(text);
  size_t pos = from;
  size_t count = 0;
#if defined(__SSE2__)
  // Each block also looks at the unit after it; a unit marks both its bytes.
  const __m128i cr = _mm_set1_epi16(static_cast<short>(bigEndian ? 0x0D00 : 0x000D));
  const __m128i lf = _mm_set1_epi16(static_cast<short>(bigEndian ? 0x0A00 : 0x000A));
  const size_t blocksEnd = to + 2 <= text.size() ? to : (to >= 2 ? to - 2 : 0);
  count = CountMarkedBlocks(data, pos, blocksEnd, [&](const uchar* at) {
            const __m128i units = Load(at);
            const __m128i loneCr =
                _mm_andnot_si128(_mm_cmpeq_epi16(Load(at + 2), lf), _mm_cmpeq_epi16(units, cr));
            return _mm_or_si128(_mm_cmpeq_epi16(units, lf), loneCr);
          }) / 2;
#endif
  for (; pos < to; pos += 2) {
    const unsigned unit = Utf16Unit(data + pos, bigEndian);
    count += unit == '\n' ||
             (unit == '\r' && (pos + 3 >= text.size() || Utf16Unit(data + pos + 2, bigEndian) != '\n'));
  }
  return count;
}

}  // namespace tansa2
