#include "engine/LiteralFinder.h"

#include <algorithm>
#include <cstring>

namespace tansa2 {
namespace {

constexpr unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

}  // namespace

TLiteralFinder::TLiteralFinder(std::string literal, bool asciiCaseless)
    : literal_(std::move(literal)), caseless_(asciiCaseless) {
  if (!caseless_) return;
  for (char& c : literal_) c = static_cast<char>(Fold(c));
  // Horspool's shift table over folded bytes.
  const size_t n = literal_.size();
  const unsigned char maxShift = static_cast<unsigned char>(std::min<size_t>(n, 255));
  skip_.fill(maxShift);
  for (size_t i = 0; i + 1 < n; ++i)
    skip_[static_cast<unsigned char>(literal_[i])] = static_cast<unsigned char>(std::min<size_t>(n - 1 - i, 255));
}

size_t TLiteralFinder::Find(std::string_view text, size_t from) const {
  const size_t n = literal_.size();
  if (from > text.size() || text.size() - from < n) return std::string_view::npos;
  if (!caseless_) {
    const void* hit = memmem(text.data() + from, text.size() - from, literal_.data(), n);
    return hit ? static_cast<const char*>(hit) - text.data() : std::string_view::npos;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const auto* pattern = reinterpret_cast<const unsigned char*>(literal_.data());
  const unsigned char last = pattern[n - 1];
  for (size_t pos = from; pos + n <= text.size();) {
    const unsigned char c = Fold(data[pos + n - 1]);
    if (c == last) {
      size_t i = 0;
      while (i + 1 < n && Fold(data[pos + i]) == pattern[i]) ++i;
      if (i + 1 >= n) return pos;
    }
    pos += skip_[c];
  }
  return std::string_view::npos;
}

}  // namespace tansa2
