#include "engine/LiteralFinder.h"

#include <algorithm>
#include <cstring>

#include "engine/Avx2.h"

namespace tansa2 {
namespace {

constexpr bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
constexpr unsigned char Fold(unsigned char c) { return IsAsciiLetter(c) ? c | 0x20 : c; }

// How common a byte is in Japanese and English text in the codes searched
// in their own bytes; lower is rarer. The lead bytes of kana and punctuation
// (0x81-0x83 in Shift-JIS, 0xE3 and the next byte in UTF-8, 0xA1-0xA5 in
// EUC-JP), the high byte of kana and of ASCII in UTF-16, ASCII letters and
// blanks are the commonest.
int Commonness(unsigned char c) {
  if (c == ' ' || c == 'e' || c == 't' || c == 'a' || c == 'o' || c == 0xE3 || c == 0x00) return 9;
  if (c >= 0x81 && c <= 0x83) return 8;
  if ((c >= 0xA1 && c <= 0xA5) || c == '0') return 7;
  if (IsAsciiLetter(c) || (c >= 0xE4 && c <= 0xE9)) return 6;
  if (c >= 0x88 && c <= 0x9F) return 4;
  return 2;
}

#if defined(__SSE2__)
__m128i Load(const unsigned char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
__m128i Splat(unsigned char c) { return _mm_set1_epi8(static_cast<char>(c)); }
#endif

}  // namespace

TLiteralFinder::TProbe::TProbe(const TLiteral& literal) : literal(literal.bytes), caseless(literal.asciiCaseless) {
  if (caseless)
    for (char& c : this->literal) c = static_cast<char>(Fold(c));
  const std::string& bytes = this->literal;
  auto commonness = [&](size_t i) { return Commonness(bytes[i]); };
  for (size_t i = 1; i < bytes.size(); ++i)
    if (commonness(i) < commonness(anchor)) anchor = i;
  probe = anchor == bytes.size() - 1 ? 0 : bytes.size() - 1;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (i != anchor && commonness(i) < commonness(probe)) probe = i;
  auto caseBit = [&](size_t i) -> unsigned char { return caseless && IsAsciiLetter(bytes[i]) ? 0x20 : 0; };
  anchorCase = caseBit(anchor);
  probeCase = caseBit(probe);
}

bool TLiteralFinder::TProbe::FitsAt(const unsigned char* at) const {
  return (at[anchor] | anchorCase) == static_cast<unsigned char>(literal[anchor]) &&
         (at[probe] | probeCase) == static_cast<unsigned char>(literal[probe]) && MatchesAt(at);
}

bool TLiteralFinder::TProbe::MatchesAt(const unsigned char* at) const {
  const auto* pattern = reinterpret_cast<const unsigned char*>(literal.data());
  if (!caseless) return std::memcmp(at, pattern, literal.size()) == 0;
  for (size_t i = 0; i < literal.size(); ++i)
    if (Fold(at[i]) != pattern[i]) return false;
  return true;
}

TLiteralFinder::TLiteralFinder(const std::vector<TLiteral>& literals) {
  for (const TLiteral& literal : literals) probes_.emplace_back(literal);
  shortest_ = longest_ = probes_.front().literal.size();
  for (const TProbe& probe : probes_) {
    shortest_ = std::min(shortest_, probe.literal.size());
    longest_ = std::max(longest_, probe.literal.size());
  }
  for (size_t k = 0; k < probes_.size() && k < kTableLiterals; ++k) {
    TProbe& p = probes_[k];
    int rarest = 0;
    for (size_t w = 0; w + kLeadingBytes <= p.literal.size(); ++w) {
      int commonness = 0;
      for (size_t i = 0; i < kLeadingBytes; ++i) commonness += Commonness(p.literal[w + i]);
      if (w == 0 || commonness < rarest) {
        rarest = commonness;
        p.window = w;
      }
    }
    widestWindow_ = std::max(widestWindow_, p.window);
    const auto bit = static_cast<unsigned char>(1u << k);
    for (size_t i = 0; i < kLeadingBytes; ++i) {
      TNibbleBits& bits = leading_[i];
      if (p.window + i >= p.literal.size()) {
        for (int nibble = 0; nibble < 16; ++nibble) {
          bits.low[nibble] |= bit;
          bits.high[nibble] |= bit;
        }
        continue;
      }
      // A letter matched either case differs only in its bit 0x20, a bit of the high four.
      const auto c = static_cast<unsigned char>(p.literal[p.window + i]);
      bits.low[c & 0x0F] |= bit;
      bits.high[c >> 4] |= bit;
      if (p.caseless && IsAsciiLetter(c)) bits.high[(c ^ 0x20) >> 4] |= bit;
    }
  }
}

size_t TLiteralFinder::Find(std::string_view text, size_t from) const {
  if (from > text.size() || text.size() - from < shortest_) return std::string_view::npos;
  return probes_.size() == 1 ? FindOne(text, from) : FindAny(text, from);
}

size_t TLiteralFinder::FindOne(std::string_view text, size_t from) const {
  const TProbe& one = probes_.front();
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const size_t last = text.size() - one.literal.size();  // the last place the literal can start
  size_t pos = from;
  if (HasAvx2())
    if (const size_t found = FindOneWide(text, pos); found != std::string_view::npos) return found;
#if defined(__SSE2__)
  const __m128i anchorValue = Splat(one.literal[one.anchor]);
  const __m128i anchorMask = Splat(one.anchorCase);
  const __m128i probeValue = Splat(one.literal[one.probe]);
  const __m128i probeMask = Splat(one.probeCase);
  for (; pos + 16 <= last + 1; pos += 16) {
    const __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(Load(data + pos + one.anchor), anchorMask), anchorValue),
                                       _mm_cmpeq_epi8(_mm_or_si128(Load(data + pos + one.probe), probeMask), probeValue));
    for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hits)); bits != 0; bits &= bits - 1) {
      const size_t at = pos + static_cast<size_t>(__builtin_ctz(bits));
      if (one.MatchesAt(data + at)) return at;
    }
  }
#endif
  for (; pos <= last; ++pos)
    if (one.FitsAt(data + pos)) return pos;
  return std::string_view::npos;
}

// The literals' two bytes are tested together, sixteen places at a time;
// only where one pair fits are the whole literals compared.
size_t TLiteralFinder::FindAny(std::string_view text, size_t from) const {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  size_t pos = from;
  if (probes_.size() <= kTableLiterals && HasAvx2())
    if (const size_t found = FindAnyWide(text, pos); found != std::string_view::npos) return found;
#if defined(__SSE2__)
  struct TPair {
    __m128i anchorValue, anchorMask, probeValue, probeMask;
  };
  TPair pairs[16];
  const size_t count = std::min(probes_.size(), std::size(pairs));
  for (size_t k = 0; k < count; ++k) {
    const TProbe& p = probes_[k];
    pairs[k] = {Splat(p.literal[p.anchor]), Splat(p.anchorCase), Splat(p.literal[p.probe]), Splat(p.probeCase)};
  }
  // Every literal fits at each of the sixteen places of a block.
  if (count == probes_.size())
    for (; pos + 16 + longest_ <= text.size() + 1; pos += 16) {
      __m128i hits = _mm_setzero_si128();
      for (size_t k = 0; k < count; ++k) {
        const TPair& pair = pairs[k];
        hits = _mm_or_si128(
            hits, _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(Load(data + pos + probes_[k].anchor), pair.anchorMask),
                                               pair.anchorValue),
                                _mm_cmpeq_epi8(_mm_or_si128(Load(data + pos + probes_[k].probe), pair.probeMask),
                                               pair.probeValue)));
      }
      for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hits)); bits != 0; bits &= bits - 1) {
        const size_t at = pos + static_cast<size_t>(__builtin_ctz(bits));
        for (const TProbe& p : probes_)
          if (p.MatchesAt(data + at)) return at;
      }
    }
#endif
  for (; pos + shortest_ <= text.size(); ++pos)
    for (const TProbe& p : probes_)
      if (pos + p.literal.size() <= text.size() && p.FitsAt(data + pos)) return pos;
  return std::string_view::npos;
}

#if defined(__x86_64__)
TANSA2_AVX2_BEGIN
size_t TLiteralFinder::FindOneWide(std::string_view text, size_t& pos) const {
  const TProbe& one = probes_.front();
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  // Blocks of thirty-two starts whose literal ends within the text.
  const size_t blocksEnd = text.size() + 1 < one.literal.size() + 31 ? 0 : text.size() + 1 - one.literal.size() - 31;
  for (;; pos += 32) {
    auto places = NextPairFit(one, data, blocksEnd, pos);
    if (places == 0) return std::string_view::npos;
    for (; places != 0; places &= places - 1) {
      const size_t at = pos + static_cast<size_t>(__builtin_ctz(places));
      if (one.MatchesAt(data + at)) return at;
    }
  }
}

// The places of the first block from `pos`, while `pos` is below
// `blocksEnd`, where the anchor and the probe byte fit, as bits; `pos` ends
// on that block, or at the first block not searched. It calls nothing, so
// the bytes stay in registers.
unsigned TLiteralFinder::NextPairFit(const TProbe& one, const unsigned char* data, size_t blocksEnd, size_t& pos) {
  const unsigned char* anchorAt = data + one.anchor;
  const unsigned char* probeAt = data + one.probe;
  const __m256i anchor = _mm256_set1_epi8(one.literal[one.anchor]);
  const __m256i anchorCase = _mm256_set1_epi8(static_cast<char>(one.anchorCase));
  const __m256i probe = _mm256_set1_epi8(one.literal[one.probe]);
  const __m256i probeCase = _mm256_set1_epi8(static_cast<char>(one.probeCase));
  for (; pos < blocksEnd; pos += 32) {
    const __m256i anchorBytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(anchorAt + pos));
    const __m256i probeBytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(probeAt + pos));
    const __m256i hits = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(anchorBytes, anchorCase), anchor),
                                          _mm256_cmpeq_epi8(_mm256_or_si256(probeBytes, probeCase), probe));
    if (const auto places = static_cast<unsigned>(_mm256_movemask_epi8(hits)); places != 0) return places;
  }
  return 0;
}

// Each literal's window is looked up by the halves of its bytes in the
// nibble tables, thirty-two places at a time; only where a literal's bit
// survives all of them is the whole literal compared. Windows lie at
// different offsets, so a literal found may not be the first: the search
// goes on until no window of an earlier one is left to look at. It returns
// the first literal from `pos`, or npos with `pos` moved to the first place
// it has not looked at for every literal.
size_t TLiteralFinder::FindAnyWide(std::string_view text, size_t& pos) const {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const size_t from = pos;
  size_t found = std::string_view::npos;
  alignas(32) unsigned char literalsAt[32];
  for (size_t window = from;; window += 32) {
    auto places = NextLeadingFit(leading_, data, text.size(), window, literalsAt);
    if (places == 0) {
      // Windows stop fitting: every start before the last one's reach is looked at.
      const size_t certain = std::max(from, window > widestWindow_ ? window - widestWindow_ : 0);
      if (found < certain) return found;
      pos = certain;
      return std::string_view::npos;
    }
    for (; places != 0; places &= places - 1) {
      const size_t at = window + static_cast<size_t>(__builtin_ctz(places));
      for (unsigned bits = literalsAt[at - window]; bits != 0; bits &= bits - 1) {
        const TProbe& p = probes_[static_cast<size_t>(__builtin_ctz(bits))];
        if (at < from + p.window) continue;
        const size_t start = at - p.window;
        if (start < found && start + p.literal.size() <= text.size() && p.MatchesAt(data + start)) found = start;
      }
    }
    if (found != std::string_view::npos && window + 32 >= found + widestWindow_) return found;
  }
}

// The places of the first block from `pos` where some literal's leading
// bytes fit, as bits, and in `literalsAt` which literals fit at each; `pos`
// ends on that block, or where blocks stop fitting. It calls nothing, so
// the tables stay in registers.
unsigned TLiteralFinder::NextLeadingFit(const TNibbleBits* leading, const unsigned char* data, size_t size,
                                        size_t& pos, unsigned char* literalsAt) {
  __m256i low[kLeadingBytes];
  __m256i high[kLeadingBytes];
  for (size_t i = 0; i < kLeadingBytes; ++i) {
    low[i] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(leading[i].low)));
    high[i] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(leading[i].high)));
  }
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  for (; pos + 32 + kLeadingBytes - 1 <= size; pos += 32) {
    __m256i literals = _mm256_set1_epi8(-1);
    for (size_t i = 0; i < kLeadingBytes; ++i) {
      const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos + i));
      const __m256i lowBits = _mm256_shuffle_epi8(low[i], _mm256_and_si256(bytes, nibble));
      const __m256i highBits = _mm256_shuffle_epi8(high[i], _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
      literals = _mm256_and_si256(literals, _mm256_and_si256(lowBits, highBits));
    }
    const auto places = ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(literals, _mm256_setzero_si256())));
    if (places != 0) {
      _mm256_store_si256(reinterpret_cast<__m256i*>(literalsAt), literals);
      return places;
    }
  }
  return 0;
}
TANSA2_AVX2_END
#else
size_t TLiteralFinder::FindOneWide(std::string_view, size_t&) const { return std::string_view::npos; }
size_t TLiteralFinder::FindAnyWide(std::string_view, size_t&) const { return std::string_view::npos; }
unsigned TLiteralFinder::NextPairFit(const TProbe&, const unsigned char*, size_t, size_t&) { return 0; }
unsigned TLiteralFinder::NextLeadingFit(const TNibbleBits*, const unsigned char*, size_t, size_t&, unsigned char*) {
  return 0;
}
#endif

}  // namespace tansa2
