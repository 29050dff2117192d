#include "engine/Utf8Check.h"

#include <cstddef>

#include "engine/Avx2.h"

namespace tansa2 {
namespace {

using uchar = unsigned char;

constexpr size_t kMalformed = std::string_view::npos;

// A lead byte's character length and the range its second byte must fall in:
// the range is what rules out overlong forms, surrogates and code points
// above U+10FFFF. Later bytes are 0x80-0xBF. Length 0: not a lead byte.
struct TLead {
  size_t length;
  uchar low;
  uchar high;
};

constexpr TLead LeadOf(uchar c) {
  if (c >= 0xC2 && c <= 0xDF) return {2, 0x80, 0xBF};
  if (c == 0xE0) return {3, 0xA0, 0xBF};
  if (c == 0xED) return {3, 0x80, 0x9F};
  if (c >= 0xE1 && c <= 0xEF) return {3, 0x80, 0xBF};
  if (c == 0xF0) return {4, 0x90, 0xBF};
  if (c >= 0xF1 && c <= 0xF3) return {4, 0x80, 0xBF};
  if (c == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// Checks the characters beyond ASCII from `pos` up to the next ASCII byte or
// the end of the text, and returns where it stopped, or kMalformed. A last
// character cut off by the end passes when its bytes so far are well-formed;
// every whole one sets `whole`.
size_t CheckNonAsciiRun(const uchar* p, size_t pos, size_t n, bool& whole) {
  while (pos < n && p[pos] >= 0x80) {
    const TLead lead = LeadOf(p[pos]);
    if (lead.length == 0) return kMalformed;
    const size_t present = lead.length < n - pos ? lead.length : n - pos;
    if (present > 1 && (p[pos + 1] < lead.low || p[pos + 1] > lead.high)) return kMalformed;
    for (size_t k = 2; k < present; ++k)
      if ((p[pos + k] & 0xC0) != 0x80) return kMalformed;
    if (present < lead.length) return n;
    whole = true;
    pos += lead.length;
  }
  return pos;
}

// Checks every character from `pos`, which starts one, to the end.
bool CheckRest(const uchar* p, size_t pos, size_t n, bool& whole) {
  while (pos < n) {
    if (p[pos] < 0x80) {
      ++pos;
      continue;
    }
    pos = CheckNonAsciiRun(p, pos, n, whole);
    if (pos == kMalformed) return false;
  }
  return true;
}

#if defined(__SSE2__)
// Steps over ASCII sixteen bytes at a time and checks the rest character by
// character.
bool CheckWithAsciiBlocks(const uchar* p, size_t n, bool& whole) {
  size_t pos = 0;
  while (pos < n) {
    int bits = 0;
    auto block = [&] { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + pos)); };
    while (pos + 16 <= n && (bits = _mm_movemask_epi8(block())) == 0) pos += 16;
    if (bits == 0) return CheckRest(p, pos, n, whole);
    pos = CheckNonAsciiRun(p, pos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(bits))), n, whole);
    if (pos == kMalformed) return false;
  }
  return true;
}
#endif

#if defined(__x86_64__)
// Thirty-two bytes at a time, every byte checked against the three before it
// at once (the lookup method of Keiser and Lemire): each byte pair may show
// some of the faults below. Three tables, indexed by the high and the low half
// of the first byte and by the high half of the second, give the faults each
// half allows; a pair shows a fault when all three allow it.
constexpr uchar kTooShort = 1 << 0;     // a lead byte, then no continuation byte
constexpr uchar kTooLong = 1 << 1;      // ASCII, then a continuation byte
constexpr uchar kOverlong3 = 1 << 2;    // E0 80-9F
constexpr uchar kTooLarge = 1 << 3;     // F4 90-BF, F5-FF 90-BF
constexpr uchar kSurrogate = 1 << 4;    // ED A0-BF
constexpr uchar kOverlong2 = 1 << 5;    // C0-C1 80-BF
constexpr uchar kOverlong4 = 1 << 6;    // F0 80-8F
constexpr uchar kTooLarge1000 = 1 << 6; // F5-FF 80-8F
constexpr uchar kTwoConts = 1 << 7;     // a continuation byte after another
// The faults that the low half of the first byte doesn't narrow.
constexpr uchar kCarry = kTooShort | kTooLong | kTwoConts;

alignas(16) constexpr uchar kFirstHigh[16] = {
    kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,  // ASCII
    kTwoConts, kTwoConts, kTwoConts, kTwoConts,                                      // continuation
    kTooShort | kOverlong2,                                                          // C0-CF
    kTooShort,                                                                       // D0-DF
    kTooShort | kOverlong3 | kSurrogate,                                             // E0-EF
    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4,                              // F0-FF
};
alignas(16) constexpr uchar kFirstLow[16] = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4,  // _0
    kCarry | kOverlong2,                            // _1
    kCarry,
    kCarry,
    kCarry | kTooLarge,  // _4
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000 | kSurrogate,  // _D
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
};
alignas(16) constexpr uchar kSecondHigh[16] = {
    kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,  // ASCII
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,            // 80-8F
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,                              // 90-9F
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,                              // A0-AF
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,                              // B0-BF
    kTooShort, kTooShort, kTooShort, kTooShort,                                              // lead
};
// A block whose last three bytes exceed these ends inside a character.
constexpr uchar kLastLeads[32] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xDF, 0xBF,
};

TANSA2_AVX2_BEGIN
__m256i Table(const uchar (&entries)[16]) {
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(entries)));
}

// The block `input` moved on by `count` bytes, the first ones from `prev`.
template <int count>
__m256i Previous(__m256i input, __m256i prev) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(prev, input, 0x21), 16 - count);
}

// The bytes of `input` that are malformed given the block before it: a
// fault of a pair, or a continuation byte missing or too many where a
// three- or four-byte character needs its third or fourth byte.
__m256i Faults(__m256i input, __m256i prev) {
  const __m256i lowHalf = _mm256_set1_epi8(0x0F);
  const __m256i prev1 = Previous<1>(input, prev);
  const __m256i pairs = _mm256_and_si256(
      _mm256_and_si256(
          _mm256_shuffle_epi8(Table(kFirstHigh), _mm256_and_si256(_mm256_srli_epi16(prev1, 4), lowHalf)),
          _mm256_shuffle_epi8(Table(kFirstLow), _mm256_and_si256(prev1, lowHalf))),
      _mm256_shuffle_epi8(Table(kSecondHigh), _mm256_and_si256(_mm256_srli_epi16(input, 4), lowHalf)));
  // Only a lead byte E0-FF two bytes back or F0-FF three back keeps its top
  // bit through these subtractions.
  const __m256i third = _mm256_subs_epu8(Previous<2>(input, prev), _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m256i fourth = _mm256_subs_epu8(Previous<3>(input, prev), _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m256i due = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
  return _mm256_xor_si256(due, pairs);
}

bool CheckWide(const uchar* p, size_t n, bool& whole) {
  const __m256i lastLeads = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLastLeads));
  __m256i prev = _mm256_setzero_si256();
  __m256i cutOff = _mm256_setzero_si256();
  size_t firstHigh = kMalformed;
  size_t pos = 0;
  for (; pos + 32 <= n; pos += 32) {
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + pos));
    if (const unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(input)); bits == 0) {
      if (!_mm256_testz_si256(cutOff, cutOff)) return false;
    } else {
      if (firstHigh == kMalformed) firstHigh = pos + static_cast<size_t>(__builtin_ctz(bits));
      const __m256i faults = Faults(input, prev);
      if (!_mm256_testz_si256(faults, faults)) return false;
      cutOff = _mm256_subs_epu8(input, lastLeads);
    }
    prev = input;
  }
  // The rest from the start of the character the blocks end in: its bytes
  // after the blocks are still to be checked.
  size_t start = pos;
  for (size_t back = 1; back <= 3 && back <= pos; ++back) {
    const uchar c = p[pos - back];
    if (c < 0x80) break;
    if (c >= 0xC0) {
      start = pos - back;
      break;
    }
  }
  // The first byte beyond ASCII leads a whole character when it comes before
  // that start.
  whole = firstHigh < start;
  return CheckRest(p, start, n, whole);
}
TANSA2_AVX2_END
#endif

}  // namespace

bool IsWellFormedUtf8(std::string_view text) {
  const uchar* p = reinterpret_cast<const uchar*>(text.data());
  bool whole = false;
#if defined(__x86_64__)
  if (HasAvx2()) return CheckWide(p, text.size(), whole) && whole;
#endif
#if defined(__SSE2__)
  return CheckWithAsciiBlocks(p, text.size(), whole) && whole;
#else
  return CheckRest(p, 0, text.size(), whole) && whole;
#endif
}

}  // namespace tansa2
