#include "engine/KyConvert.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "engine/Avx2.h"
#include "engine/ByteScan.h"
#include "engine/Utf8Check.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"

namespace tansa2 {
namespace {

using uchar = unsigned char;

constexpr uchar kEsc = 0x1B;

// The bytes of a text; a read at or past the end gives 0x00, so a pair cut
// off by the end takes 0x00 as its second byte.
class TBytes {
 public:
  explicit TBytes(std::string_view text)
      : p_(reinterpret_cast<const uchar*>(text.data())), n_(text.size()) {}
  uchar operator[](size_t i) const { return i < n_ ? p_[i] : 0; }
  size_t size() const { return n_; }

 private:
  const uchar* p_;
  size_t n_;
};

// Output written through a cursor into room made once for the whole text.
// The room may be kept from text to text: it only ever grows, so a search
// doesn't clear and fault in fresh memory for every file it converts.
class TOutput {
 public:
  TOutput(std::string& room, size_t capacity) : s_(room) {
    if (s_.size() < capacity) s_.resize(capacity);
    q_ = reinterpret_cast<uchar*>(s_.data());
  }
  void Put(uchar c) { *q_++ = c; }
  void Put(uchar a, uchar b) {
    q_[0] = a;
    q_[1] = b;
    q_ += 2;
  }
  void Put(uchar a, uchar b, uchar c) {
    q_[0] = a;
    q_[1] = b;
    q_[2] = c;
    q_ += 3;
  }
  // The number of bytes written.
  size_t Finish() const { return static_cast<size_t>(q_ - reinterpret_cast<const uchar*>(s_.data())); }

 private:
  std::string& s_;
  uchar* q_;
};

constexpr bool In(uchar c, uchar lo, uchar hi) { return c >= lo && c <= hi; }

// JIS X 0208 row/cell pair to Shift-JIS, in place.
inline void JisPairToSjis(uchar& a, uchar& b) {
  if (a & 1)
    b = static_cast<uchar>(b + (b <= 0x5F ? 0x1F : 0x20));
  else
    b = static_cast<uchar>(b + 0x7E);
  a = static_cast<uchar>((a + 1) / 2 + (a < 0x5F ? 0x70 : 0xB0));
}

// The same for the JIS X 0208 range, looked up: whole files go through it.
class TJisToSjisTable {
 public:
  TJisToSjisTable() {
    for (uchar a = 0x21; a <= 0x7E; ++a)
      for (uchar b = 0x21; b <= 0x7E; ++b) {
        uchar sa = a;
        uchar sb = b;
        JisPairToSjis(sa, sb);
        codes_[(a - 0x21) * 94 + (b - 0x21)] = static_cast<uint16_t>(sa << 8 | sb);
      }
  }
  void Convert(uchar& a, uchar& b) const {
    if (In(a, 0x21, 0x7E) && In(b, 0x21, 0x7E)) {
      const uint16_t code = codes_[(a - 0x21) * 94 + (b - 0x21)];
      a = static_cast<uchar>(code >> 8);
      b = static_cast<uchar>(code & 0xFF);
    } else {
      JisPairToSjis(a, b);
    }
  }

 private:
  uint16_t codes_[94 * 94];
};

const TJisToSjisTable kJisToSjis;

// Shift-JIS pair to JIS X 0208 row/cell, in place.
inline void SjisPairToJis(uchar& a, uchar& b) {
  a = static_cast<uchar>(a - (a < 0xA0 ? 0x70 : 0xB0));
  a = static_cast<uchar>(a * 2);
  if (b < 0x9F) {
    a = static_cast<uchar>(a - 1);
    b = static_cast<uchar>(b - (b <= 0x7F ? 0x1F : 0x20));
  } else {
    b = static_cast<uchar>(b - 0x7E);
  }
}

// Full-width JIS X 0208 codes of the half-width katakana 0xA1-0xDF.
constexpr unsigned short kKanaToJis[63] = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523,  // A1-A8
    0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543, 0x213C,  // A9-B0
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D, 0x252F,  // B1-B8
    0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F,  // B9-C0
    0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D,  // C1-C8
    0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E, 0x255F,  // C9-D0
    0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, 0x256A,  // D1-D8
    0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,          // D9-DF
};

constexpr uchar kVoiced = 0xDE;
constexpr uchar kSemiVoiced = 0xDF;

// Writes the half-width katakana k as a full-width JIS pair, merged with the
// sound mark `mark` (the half-width byte that follows, or 0) when the two make
// one character. Returns whether the mark was merged.
inline bool PutKanaAsJis(TOutput& out, uchar k, uchar mark) {
  const unsigned short code = kKanaToJis[k - 0xA1];
  uchar cell = static_cast<uchar>(code & 0xFF);
  bool merged = false;
  if (mark == kVoiced && (In(k, 0xB6, 0xC4) || In(k, 0xCA, 0xCE))) {
    cell = static_cast<uchar>(cell + 1);
    merged = true;
  } else if (mark == kSemiVoiced && In(k, 0xCA, 0xCE)) {
    cell = static_cast<uchar>(cell + 2);
    merged = true;
  } else if (mark == kVoiced && k == 0xB3) {
    cell = 0x74;
    merged = true;
  }
  out.Put(static_cast<uchar>(code >> 8), cell);
  return merged;
}

// The walk shared by JisToSjis and JisToEuc: escape sequences switch kanji
// mode and are dropped; `kanji(out, in, i)` handles the byte at i in kanji
// mode and returns the next position.
template <typename TKanji>
size_t FromJis(std::string_view text, std::string& room, TKanji kanji) {
  const TBytes in(text);
  const size_t n = in.size();
  // A character gives no more bytes than it takes, but a pair cut off by
  // the end gives two for its one. The room is cleared whole, so it isn't
  // made larger than that.
  TOutput out(room, n + 1);
  bool kanjiMode = false;
  size_t i = 0;
  while (i < n) {
    // ESC and the two bytes after it, whatever they are; escapes may follow
    // one another directly.
    while (i < n && in[i] == kEsc) {
      const uchar intro = in[i + 1];
      if (intro == 0x24)
        kanjiMode = true;
      else if (intro == 0x28)
        kanjiMode = false;
      i += 3;
    }
    if (i >= n) break;
    if (kanjiMode) {
      i = kanji(out, in, i);
    } else {
      out.Put(in[i]);
      ++i;
    }
  }
  return out.Finish();
}

// The walk shared by SjisToJis and EucToJis. `kana(in, i, length)` returns
// the byte of the half-width katakana starting at i (0 if none) and sets its
// length; `pair(a, b)` turns a double-byte character into its JIS pair.
template <typename TKana, typename TPair>
std::string ToJis(std::string_view text, TKana kana, TPair pair) {
  const TBytes in(text);
  const size_t n = in.size();
  // Every input byte gives at most an escape and a pair: five bytes.
  std::string room;
  TOutput out(room, 5 * n);
  bool kanjiMode = false;
  size_t i = 0;
  while (i < n) {
    const uchar c = in[i];
    if (c < 0x80) {
      if (kanjiMode) {
        out.Put(kEsc, 0x28, 0x4A);
        kanjiMode = false;
      }
      out.Put(c);
      ++i;
      continue;
    }
    if (!kanjiMode) {
      out.Put(kEsc, 0x24, 0x42);
      kanjiMode = true;
    }
    size_t length = 0;
    if (const uchar k = kana(in, i, length)) {
      i += length;
      size_t markLength = 0;
      const uchar mark = kana(in, i, markLength);
      if (PutKanaAsJis(out, k, mark)) i += markLength;
    } else {
      uchar a = c;
      uchar b = in[i + 1];
      pair(a, b);
      out.Put(a, b);
      i += 2;
    }
  }
  room.resize(out.Finish());
  return room;
}

// A text converted into room of its own by a converter that writes into
// room it is given.
template <typename TInto>
std::string Owned(std::string_view text, TInto into) {
  std::string room;
  room.resize(into(text, room));
  return room;
}

// A UTF-16 text after its byte-order mark; a lone last byte is dropped. The
// text ends at its first U+0000, which the caller cuts at as the 0x00 it
// becomes.
size_t Utf16ToSjis(std::string_view text, bool bigEndian, std::string& room) {
  std::string_view body = text.substr(std::min<size_t>(2, text.size()));
  body = body.substr(0, body.size() & ~size_t{1});
  return bigEndian ? platform::Utf16BeToCp932(body, room) : platform::Utf16LeToCp932(body, room);
}

}  // namespace

int DecideCode(std::string_view text, int DefaultCode, const TAskSjisOrEuc& askSjis) {
  const TBytes in(text);
  if (text.size() > 2 && in[0] == 0xFF && in[1] == 0xFE) return kcUtf16LE;
  if (text.size() > 2 && in[0] == 0xFE && in[1] == 0xFF) return kcUtf16BE;
  bool hasBom = false;
  if (IsUtf8(text, hasBom)) return hasBom ? kcUtf8Bom : kcUtf8;
  const int code = DetectCode(text);
  if (code != kcEucOrSjis) return code;
  if (DefaultCode != kcAuto) return DefaultCode;
  if (askSjis && !askSjis()) return kcEuc;
  return kcSjis;
}

int DetectCode(std::string_view text) {
  const TBytes in(text);
  const size_t n = in.size();
  const size_t preScan = std::min<size_t>(n, 512);
  for (size_t i = 0; i < preScan; ++i) {
    const uchar c = in[i];
    if (c <= 0x07 || c == 0xFF) return kcBinary;
  }

  int result = kcAscii;
  for (size_t i = 0; i < n && (result == kcAscii || result == kcEucOrSjis); ++i) {
    const uchar c = in[i];
    if (c == kEsc) {
      if (in[++i] == 0x24) result = kcJis;
    } else if (c <= 0x07 || c == 0xFF) {
      result = kcBinary;
    } else if (c <= 0x7F) {
      // plain ASCII
    } else if (In(c, 0x81, 0x8D) || In(c, 0x8F, 0x9F)) {
      result = kcSjis;
    } else if (c == 0x8E) {
      const uchar d = in[++i];
      if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0) || In(d, 0xE0, 0xFC))
        result = kcSjis;
      else if (In(d, 0xA1, 0xDF))
        result = kcEucOrSjis;
    } else if (In(c, 0xA1, 0xDF)) {
      const uchar d = in[++i];
      if (In(d, 0xF0, 0xFE)) {
        result = kcEuc;
      } else if (In(d, 0xA1, 0xDF)) {
        result = kcEucOrSjis;
      } else if (In(d, 0xE0, 0xEF)) {
        result = kcEucOrSjis;
        // The byte on which this stops is stepped over by the loop.
        while (in[i] >= 0x40 && i < n && result == kcEucOrSjis) {
          const uchar e = in[i];
          if (In(e, 0x81, 0x8D) || In(e, 0x8F, 0x9C))
            result = kcSjis;
          else if (In(e, 0xFD, 0xFE))
            result = kcEuc;
          ++i;
        }
      } else if (d <= 0x9F) {
        result = kcSjis;
      }
    } else if (c == 0xFD || c == 0xFE) {
      result = kcEuc;
    } else if (In(c, 0xE0, 0xEF)) {
      const uchar d = in[++i];
      if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0))
        result = kcSjis;
      else if (In(d, 0xFD, 0xFE))
        result = kcEuc;
      else if (In(d, 0xA1, 0xFC))
        result = kcEucOrSjis;
    }
  }
  return result;
}

bool IsUtf8(std::string_view text, bool& HasBom) {
  const TBytes in(text);
  HasBom = false;
  if (text.size() > 3 && in[0] == 0xEF && in[1] == 0xBB && in[2] == 0xBF) {
    HasBom = true;
    return true;
  }
  // The whole text, not its first character: a Shift-JIS text may begin with
  // bytes that read as a UTF-8 character, and a UTF-8 one with any character.
  return IsWellFormedUtf8(text);
}

namespace {

// Checks EUC-JP character by character from `i`, a character boundary,
// until the character that reaches `stop`. Returns the boundary after it, or
// npos when a character is malformed.
size_t CleanEucUntil(const uchar* p, size_t n, size_t i, size_t stop) {
  while (i < stop && i < n) {
    const uchar c = p[i];
    if (c < 0x80) {
      ++i;
    } else if (i + 1 >= n) {
      return std::string_view::npos;
    } else if (c == 0x8E) {
      if (!In(p[i + 1], 0xA1, 0xDF)) return std::string_view::npos;
      i += 2;
    } else {
      if (!In(c, 0xA1, 0xFE) || !In(p[i + 1], 0xA1, 0xFE)) return std::string_view::npos;
      i += 2;
    }
  }
  return i;
}

// Whether each run of set bits of a 64-bit block that ends in it has even
// length. `halfway` tells that the run going on at bit 0 began an odd
// number of places before it; on return, that the run reaching bit 63 does.
// A run ends at a place of the parity it began at when it pairs up; adding
// a run's first bit to the run carries past its end and sets the bit there.
bool RunsPairUp(uint64_t bits, bool& halfway) {
  constexpr uint64_t kEvenPlaces = 0x5555555555555555ULL;
  if (halfway && (bits & 1) == 0) return false;
  // A run left half-way begins, so to speak, at an odd place before the block.
  const uint64_t starts = bits & ~(bits << 1 | uint64_t{halfway});
  const uint64_t oddStarts = (starts & ~kEvenPlaces) | uint64_t{halfway};
  uint64_t oddStartsEnds;
  // Only the run that reaches the block's end carries out of it.
  halfway = __builtin_add_overflow(bits, oddStarts, &oddStartsEnds);
  const uint64_t evenStartsEnds = (bits + (starts & kEvenPlaces)) & ~bits;
  return (evenStartsEnds & ~kEvenPlaces) == 0 && (oddStartsEnds & ~bits & kEvenPlaces) == 0;
}

}  // namespace

bool IsCleanEuc(std::string_view text) {
  const auto* p = reinterpret_cast<const uchar*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  // Whether the blocks so far end half-way into a character.
  bool inPair = false;
#if defined(__SSE2__)
  // Sixty-four bytes at a time: text without half-width katakana is clean
  // when its high bytes are all A1-FE and each run of them pairs up.
  const __m128i pairLow = _mm_set1_epi8(static_cast<char>(0xA1));
  const __m128i pairSpan = _mm_set1_epi8(0x5D);
  while (i + 64 <= n) {
    uint64_t high = 0;
    uint64_t pairBytes = 0;
    for (int part = 0; part < 4; ++part) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16 * part));
      const __m128i shifted = _mm_sub_epi8(bytes, pairLow);
      const __m128i inRange = _mm_cmpeq_epi8(_mm_min_epu8(shifted, pairSpan), shifted);
      high |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(bytes))} << (16 * part);
      pairBytes |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(inRange))} << (16 * part);
    }
    if (high != pairBytes) {
      // Half-width katakana or a stray byte: this block goes character by
      // character, and the blocks after it again sixty-four bytes at a time.
      i = CleanEucUntil(p, n, inPair ? i - 1 : i, i + 64);
      if (i == std::string_view::npos) return false;
      inPair = false;
      continue;
    }
    if (!RunsPairUp(high, inPair)) return false;
    i += 64;
  }
#endif
  return CleanEucUntil(p, n, inPair ? i - 1 : i, n) != std::string_view::npos;
}

namespace {

// What a 64-byte block of JIS text holds, a bit per byte.
struct TJisBlock {
  uint64_t escapes = 0;
  uint64_t high = 0;     // bytes 0x80-0xFF
  uint64_t notPair = 0;  // bytes outside 0x21-0x7E
  uint64_t dollars = 0;  // '$', which follows ESC into kanji mode
  uint64_t parens = 0;   // '(', which follows ESC out of it
};

TJisBlock ReadJisBlock(const uchar* at) {
  TJisBlock block;
#if defined(__SSE2__)
  const __m128i esc = _mm_set1_epi8(kEsc);
  const __m128i dollar = _mm_set1_epi8('$');
  const __m128i paren = _mm_set1_epi8('(');
  const __m128i pairLow = _mm_set1_epi8(0x21);
  const __m128i pairSpan = _mm_set1_epi8(0x7E - 0x21);
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part));
    const __m128i shifted = _mm_sub_epi8(bytes, pairLow);
    const __m128i inPair = _mm_cmpeq_epi8(_mm_min_epu8(shifted, pairSpan), shifted);
    const int shift = 16 * part;
    block.escapes |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, esc)))} << shift;
    block.high |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(bytes))} << shift;
    block.notPair |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(inPair)) ^ 0xFFFFu} << shift;
    block.dollars |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, dollar)))} << shift;
    block.parens |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, paren)))} << shift;
  }
#else
  for (int i = 0; i < 64; ++i) {
    block.escapes |= uint64_t{at[i] == kEsc} << i;
    block.high |= uint64_t{at[i] >= 0x80} << i;
    block.notPair |= uint64_t{!In(at[i], 0x21, 0x7E)} << i;
    block.dollars |= uint64_t{at[i] == '$'} << i;
    block.parens |= uint64_t{at[i] == '('} << i;
  }
#endif
  return block;
}

// ReadJisBlock thirty-two bytes at a time.
#if defined(__x86_64__)
TANSA2_AVX2_BEGIN
TJisBlock ReadJisBlockWide(const uchar* at) {
  const __m256i esc = _mm256_set1_epi8(kEsc);
  const __m256i dollar = _mm256_set1_epi8('$');
  const __m256i paren = _mm256_set1_epi8('(');
  const __m256i pairLow = _mm256_set1_epi8(0x21);
  const __m256i pairSpan = _mm256_set1_epi8(0x7E - 0x21);
  auto bits = [](__m256i marks) { return uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(marks))}; };
  TJisBlock block;
  for (int half = 0; half < 2; ++half) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32 * half));
    const __m256i shifted = _mm256_sub_epi8(bytes, pairLow);
    const __m256i inPair = _mm256_cmpeq_epi8(_mm256_min_epu8(shifted, pairSpan), shifted);
    const int shift = 32 * half;
    block.escapes |= bits(_mm256_cmpeq_epi8(bytes, esc)) << shift;
    block.high |= bits(bytes) << shift;
    block.notPair |= (bits(inPair) ^ 0xFFFFFFFFu) << shift;
    block.dollars |= bits(_mm256_cmpeq_epi8(bytes, dollar)) << shift;
    block.parens |= bits(_mm256_cmpeq_epi8(bytes, paren)) << shift;
  }
  return block;
}
TANSA2_AVX2_END
#endif

// Bit i set when an odd number of bits 0 to i are.
uint64_t PrefixParity(uint64_t bits) {
  for (int shift = 1; shift < 64; shift *= 2) bits ^= bits << shift;
  return bits;
}

enum class TJisCheck { Clean, Broken, Unsure };

// Checks the escape sequences of a block of the text all at once, as
// IsCleanJis does one by one, given the two bytes after the block; Unsure
// when one of them begins inside another.
[[gnu::always_inline]] inline TJisCheck CheckJisBlock(const TJisBlock& block, const uchar* after, size_t blockStart,
                                                    bool& kanjiMode, size_t& runStart) {
  // The last bytes of a sequence begun in the block before.
  const uint64_t sequenceTail = runStart > blockStart ? (uint64_t{1} << (runStart - blockStart)) - 1 : 0;
  const uint64_t escapes = block.escapes & ~sequenceTail;
  if ((escapes & (escapes << 1 | escapes << 2)) != 0 || (escapes >> 62 & (after[0] == kEsc)) != 0)
    return TJisCheck::Unsure;
  // The escapes switch the mode by turns, the first away from the block's first mode.
  const uint64_t entering = escapes & (block.dollars >> 1 | uint64_t{after[0] == '$'} << 63);
  const uint64_t leaving = escapes & (block.parens >> 1 | uint64_t{after[0] == '('} << 63);
  const uint64_t afterOdd = PrefixParity(escapes);  // at and after the first, third, ... escape
  const uint64_t firstTurns = escapes & afterOdd;
  const uint64_t secondTurns = escapes & ~afterOdd;
  if ((firstTurns & ~(kanjiMode ? leaving : entering)) != 0 || (secondTurns & ~(kanjiMode ? entering : leaving)) != 0)
    return TJisCheck::Broken;
  // No empty run between two sequences.
  const uint64_t runBegins = runStart >= blockStart && runStart > 0 ? uint64_t{1} << (runStart - blockStart) : 0;
  if ((escapes & (escapes << 3 | runBegins)) != 0) return TJisCheck::Broken;
  // Kanji runs hold pairs of 0x21-0x7E, from an entering sequence's end (or
  // the block's start) to the next escape.
  const uint64_t kanji =
      (kanjiMode ? ~afterOdd : afterOdd) & ~(entering | entering << 1 | entering << 2) & ~sequenceTail;
  bool halfway = kanjiMode && runStart < blockStart && (blockStart - runStart) % 2 != 0;
  if ((kanji & block.notPair) != 0 || !RunsPairUp(kanji, halfway)) return TJisCheck::Broken;
  if (escapes != 0) {
    kanjiMode = kanjiMode != (__builtin_popcountll(escapes) % 2 != 0);
    runStart = blockStart + static_cast<size_t>(63 - __builtin_clzll(escapes)) + 3;
  }
  return TJisCheck::Clean;
}

// IsCleanJis over the blocks `readBlock` reads; inlined into each caller, so
// that a block stays in registers between its reading and its check.
template <class TReadBlock>
[[gnu::always_inline]] inline bool CleanJisBlocks(const uchar* p, size_t n, TReadBlock readBlock) {
  bool kanjiMode = false;
  // Where the run since the last escape sequence begins: the first byte
  // not yet looked at when that lies ahead.
  size_t runStart = 0;
  // Sixty-four bytes at a time; the last block is read from a copy padded
  // with zeros, which the masks then leave out.
  for (size_t blockStart = 0; blockStart < n; blockStart += 64) {
    TJisBlock block;
    if (blockStart + 64 <= n) {
      block = readBlock(p + blockStart);
    } else {
      uchar last[64] = {};
      std::memcpy(last, p + blockStart, n - blockStart);
      block = ReadJisBlock(last);
      const uint64_t inText = (uint64_t{1} << (n - blockStart)) - 1;
      block.escapes &= inText;
      block.high &= inText;
      block.notPair &= inText;
    }
    if (block.high != 0) return false;
    if (blockStart + 66 <= n) {
      const TJisCheck check = CheckJisBlock(block, p + blockStart + 64, blockStart, kanjiMode, runStart);
      if (check == TJisCheck::Broken) return false;
      if (check == TJisCheck::Clean) continue;
    }
    // An escape sequence may have run into this block.
    for (size_t from = runStart > blockStart ? runStart - blockStart : 0; from < 64;) {
      const uint64_t ahead = ~uint64_t{0} << from;
      const uint64_t escapes = block.escapes & ahead;
      const size_t to = escapes != 0 ? static_cast<size_t>(__builtin_ctzll(escapes)) : 64;
      // Kanji mode holds pairs of 0x21-0x7E only: no ASCII, no line break.
      const uint64_t before = to < 64 ? (uint64_t{1} << to) - 1 : ~uint64_t{0};
      if (kanjiMode && (block.notPair & ahead & before) != 0) return false;
      if (escapes == 0) break;
      const size_t esc = blockStart + to;
      // An escape switches the mode, ends a run that isn't empty (unless it
      // starts the text) and of whole pairs in kanji mode.
      if (esc + 2 >= n || (esc == runStart && runStart > 0)) return false;
      if (kanjiMode && (esc - runStart) % 2 != 0) return false;
      if (p[esc + 1] != (kanjiMode ? 0x28 : 0x24)) return false;
      kanjiMode = !kanjiMode;
      runStart = esc + 3;
      from = to + 3;
    }
  }
  return !kanjiMode || (n - runStart) % 2 == 0;
}

#if defined(__x86_64__)
TANSA2_AVX2_BEGIN
bool IsCleanJisWide(const uchar* p, size_t n) {
  return CleanJisBlocks(p, n, [](const uchar* at) { return ReadJisBlockWide(at); });
}
TANSA2_AVX2_END
#endif

}  // namespace

bool IsCleanJis(std::string_view text) {
  const auto* p = reinterpret_cast<const uchar*>(text.data());
#if defined(__x86_64__)
  if (HasAvx2()) return IsCleanJisWide(p, text.size());
#endif
  return CleanJisBlocks(p, text.size(), ReadJisBlock);
}

size_t JisToSjis(std::string_view text, std::string& room) {
  return FromJis(text, room, [text](TOutput& out, const TBytes& in, size_t i) {
    // A run of pairs up to the next escape goes in one loop.
    const auto* p = reinterpret_cast<const uchar*>(text.data());
    do {
      uchar a = p[i];
      uchar b = in[i + 1];
      kJisToSjis.Convert(a, b);
      out.Put(a, b);
      i += 2;
    } while (i < text.size() && p[i] != kEsc);
    return i;
  });
}

std::string JisToSjis(std::string_view text) {
  return Owned(text, [](std::string_view jis, std::string& room) { return JisToSjis(jis, room); });
}

std::string JisToEuc(std::string_view text) {
  return Owned(text, [](std::string_view jis, std::string& room) {
    return FromJis(jis, room, [](TOutput& out, const TBytes& in, size_t i) {
      const uchar c = in[i];
      out.Put(In(c, 0x21, 0x7E) ? static_cast<uchar>(c | 0x80) : c);
      return i + 1;
    });
  });
}

size_t EucToSjis(std::string_view text, std::string& room) {
  const TBytes in(text);
  const size_t n = in.size();
  const auto* p = reinterpret_cast<const uchar*>(text.data());
  TOutput out(room, n + 1);  // as in FromJis: only a pair cut off by the end grows
  size_t i = 0;
  while (i < n) {
    const uchar c = p[i];
    if (c <= 0x80 || c == 0xFF) {
      out.Put(c);
      ++i;
    } else if (c == 0x8E) {
      out.Put(in[i + 1]);  // half-width katakana is one byte in Shift-JIS
      i += 2;
    } else {
      uchar a = c & 0x7F;
      uchar b = (i + 1 < n ? p[i + 1] : 0) & 0x7F;
      kJisToSjis.Convert(a, b);
      out.Put(a, b);
      i += 2;
    }
  }
  return out.Finish();
}

std::string EucToSjis(std::string_view text) {
  return Owned(text, [](std::string_view euc, std::string& room) { return EucToSjis(euc, room); });
}

std::string SjisToEuc(std::string_view text) {
  const TBytes in(text);
  const size_t n = in.size();
  std::string room;
  TOutput out(room, 2 * n);
  size_t i = 0;
  while (i < n) {
    const uchar c = in[i];
    if (c < 0x80) {
      out.Put(c);
      ++i;
    } else if (In(c, 0xA1, 0xDF)) {
      out.Put(0x8E, c);
      ++i;
    } else {
      uchar a = c;
      uchar b = in[i + 1];
      SjisPairToJis(a, b);
      out.Put(a | 0x80, b | 0x80);
      i += 2;
    }
  }
  room.resize(out.Finish());
  return room;
}

std::string SjisToJis(std::string_view text) {
  return ToJis(
      text,
      [](const TBytes& in, size_t i, size_t& length) -> uchar {
        const uchar c = in[i];
        length = 1;
        return In(c, 0xA1, 0xDF) ? c : 0;
      },
      SjisPairToJis);
}

std::string EucToJis(std::string_view text) {
  return ToJis(
      text,
      [](const TBytes& in, size_t i, size_t& length) -> uchar {
        const uchar k = in[i + 1];
        length = 2;
        return in[i] == 0x8E && In(k, 0xA1, 0xDF) ? k : 0;
      },
      [](uchar& a, uchar& b) {
        a &= 0x7F;
        b &= 0x7F;
      });
}

std::string ConvertCode(std::string_view text, int FromCode, int ToCode) {
  using TConverter = std::string (*)(std::string_view);
  static constexpr struct {
    int from;
    int to;
    TConverter convert;
  } kConverters[] = {
      {kcEuc, kcJis, EucToJis},   {kcSjis, kcJis, SjisToJis}, {kcJis, kcEuc, JisToEuc},
      {kcSjis, kcEuc, SjisToEuc}, {kcJis, kcSjis, JisToSjis}, {kcEuc, kcSjis, EucToSjis},
  };
  if (FromCode < kcJis || FromCode == ToCode || FromCode == kcEucOrSjis) return std::string(text);
  for (const auto& entry : kConverters)
    if (entry.from == FromCode && entry.to == ToCode) return entry.convert(text);
  return std::string(text);
}

std::string_view DecodeToSjis(std::string_view text, int& Code, int DefaultCode, std::string& converted,
                              const TAskSjisOrEuc& askSjis) {
  if (Code == kcAuto) Code = DecideCode(text, DefaultCode, askSjis);
  size_t length = 0;
  switch (Code) {
    case kcJis:
      length = JisToSjis(text, converted);
      break;
    case kcEuc:
      length = EucToSjis(text, converted);
      break;
    case kcUtf16LE:
    case kcUtf16BE:
      length = Utf16ToSjis(text, Code == kcUtf16BE, converted);
      break;
    case kcUtf8Bom:
      text.remove_prefix(std::min<size_t>(3, text.size()));
      [[fallthrough]];
    case kcUtf8:
      length = platform::Utf8ToCp932(text, converted);
      break;
    default:
      Code = kcSjis;
      return text.substr(0, text.find('\0'));
  }
  const std::string_view result(converted.data(), length);
  return result.substr(0, result.find('\0'));
}

std::string ConvertToSjis(std::string_view text, int& Code, int DefaultCode,
                          const TAskSjisOrEuc& askSjis) {
  std::string converted;
  const std::string_view result = DecodeToSjis(text, Code, DefaultCode, converted, askSjis);
  if (result.data() != converted.data()) return std::string(result);
  converted.resize(result.size());
  return converted;
}

void SplitTextLines(std::string_view text, TStrings& Lines) {
  Lines.clear();
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* q = p;
    while (q < end && *q != '\r' && *q != '\n') ++q;
    Lines.emplace_back(p, q);
    if (q < end && *q == '\r' && q + 1 < end && q[1] == '\n') ++q;
    p = q + 1;
  }
}

void LoadTextStream(TStrings& Lines, std::istream& Stream, int& Code, int DefaultCode,
                    const TAskSjisOrEuc& askSjis) {
  std::ostringstream buffer;
  buffer << Stream.rdbuf();
  SplitTextLines(ConvertToSjis(std::move(buffer).str(), Code, DefaultCode, askSjis), Lines);
}

void LoadTextFile(TStrings& Lines, const std::string& FileName, int& Code, int DefaultCode,
                  const TAskSjisOrEuc& askSjis) {
  SplitTextLines(ConvertToSjis(platform::ReadWholeFile(FileName), Code, DefaultCode, askSjis), Lines);
}

}  // namespace tansa2
