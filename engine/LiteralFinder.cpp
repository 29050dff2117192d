#include "engine/LiteralFinder.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tansa2 {
namespace {

constexpr bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
constexpr unsigned char Fold(unsigned char c) { return IsAsciiLetter(c) ? c | 0x20 : c; }

// How common a byte is in Japanese and English text; lower is rarer. Lead
// bytes of kana and punctuation, and ASCII letters and blanks, are the
// commonest.
int Commonness(unsigned char c) {
  if (c == ' ' || c == 'e' || c == 't' || c == 'a' || c == 'o') return 9;
  if (c >= 0x81 && c <= 0x83) return 8;
  if (IsAsciiLetter(c)) return 6;
  if (c >= 0x88 && c <= 0x9F) return 4;
  return 2;
}

}  // namespace

TLiteralFinder::TLiteralFinder(std::string literal, bool asciiCaseless)
    : literal_(std::move(literal)), caseless_(asciiCaseless) {
  if (caseless_)
    for (char& c : literal_) c = static_cast<char>(Fold(c));
  probe_ = literal_.size() - 1;
  for (size_t i = 1; i + 1 < literal_.size(); ++i)
    if (Commonness(literal_[i]) < Commonness(literal_[probe_])) probe_ = i;
  auto caseBit = [&](size_t i) -> unsigned char {
    return caseless_ && IsAsciiLetter(literal_[i]) ? 0x20 : 0;
  };
  firstCase_ = caseBit(0);
  probeCase_ = caseBit(probe_);
}

bool TLiteralFinder::MatchesAt(const unsigned char* at) const {
  const auto* pattern = reinterpret_cast<const unsigned char*>(literal_.data());
  if (!caseless_) return std::memcmp(at, pattern, literal_.size()) == 0;
  for (size_t i = 0; i < literal_.size(); ++i)
    if (Fold(at[i]) != pattern[i]) return false;
  return true;
}

size_t TLiteralFinder::Find(std::string_view text, size_t from) const {
  const size_t n = literal_.size();
  if (from > text.size() || text.size() - from < n) return std::string_view::npos;
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const size_t last = text.size() - n;  // the last place the literal can start
  const unsigned char first = literal_[0];
  const unsigned char probe = literal_[probe_];
  size_t pos = from;
#if defined(__SSE2__)
  const __m128i firstValue = _mm_set1_epi8(static_cast<char>(first));
  const __m128i firstMask = _mm_set1_epi8(static_cast<char>(firstCase_));
  const __m128i probeValue = _mm_set1_epi8(static_cast<char>(probe));
  const __m128i probeMask = _mm_set1_epi8(static_cast<char>(probeCase_));
  for (; pos + 16 <= last + 1; pos += 16) {
    const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const __m128i atProbe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + probe_));
    const __m128i hits = _mm_and_si128(
        _mm_cmpeq_epi8(_mm_or_si128(atFirst, firstMask), firstValue),
        _mm_cmpeq_epi8(_mm_or_si128(atProbe, probeMask), probeValue));
    for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hits)); bits != 0; bits &= bits - 1) {
      const size_t at = pos + static_cast<size_t>(__builtin_ctz(bits));
      if (MatchesAt(data + at)) return at;
    }
  }
#endif
  for (; pos <= last; ++pos)
    if ((data[pos] | firstCase_) == first && (data[pos + probe_] | probeCase_) == probe && MatchesAt(data + pos))
      return pos;
  return std::string_view::npos;
}

}  // namespace tansa2
