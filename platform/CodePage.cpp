#include "platform/CodePage.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tansa2::platform {
namespace {

#include "platform/Cp932Tables.inc"

// Byte length of the CP932 character at the start of `in`. A lead byte takes
// its trail only when that is a trail byte at all, so a stray lead byte never
// swallows the line break or letter after it.
constexpr bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

size_t Cp932CharLength(const unsigned char* in, size_t left) {
  return IsDBCSLeadByte(in[0]) && left >= 2 && IsTrailByte(in[1]) ? 2 : 1;
}

// Whether a byte may lead, and whether it may trail, a double-byte
// character: looked up, the two tests take half the time of comparing.
constexpr uint8_t kLeads = 1;
constexpr uint8_t kTrails = 2;
constexpr std::array<uint8_t, 256> kByteRoles = [] {
  std::array<uint8_t, 256> roles{};
  for (unsigned c = 0; c < roles.size(); ++c)
    roles[c] = (IsDBCSLeadByte(c) ? kLeads : 0) | (IsTrailByte(c) ? kTrails : 0);
  return roles;
}();

// The UTF-8 form of every CP932 code, indexed as kUnicodeFromCp932: its
// bytes from the lowest up and their number in the top byte, so that a
// character is written with one four-byte store. "?" where there is none.
static_assert(std::endian::native == std::endian::little, "the packed forms are stored as they lie in memory");
constexpr std::array<uint32_t, 0x10000> kUtf8FromCp932 = [] {
  std::array<uint32_t, 0x10000> table{};
  for (size_t code = 0; code < table.size(); ++code) {
    const uint32_t u = kUnicodeFromCp932[code];
    if (u == kUnmapped)
      table[code] = 1u << 24 | '?';
    else if (u < 0x80)
      table[code] = 1u << 24 | u;
    else if (u < 0x800)
      table[code] = 2u << 24 | (0x80 | (u & 0x3F)) << 8 | (0xC0 | u >> 6);
    else
      table[code] = 3u << 24 | (0x80 | (u & 0x3F)) << 16 | (0x80 | (u >> 6 & 0x3F)) << 8 | (0xE0 | u >> 12);
  }
  return table;
}();

// Steps through CP932 text character by character: the code point of each,
// or kUnmapped for what is malformed or has none (a lone lead byte is one
// character, a lead byte with a trail byte two bytes).
template <class Put>
void ForEachCodePoint(std::string_view cp932, Put put) {
  const auto* in = reinterpret_cast<const unsigned char*>(cp932.data());
  for (size_t i = 0; i < cp932.size();) {
    const size_t length = Cp932CharLength(in + i, cp932.size() - i);
    put(kUnicodeFromCp932[length == 2 ? in[i] << 8 | in[i + 1] : in[i]]);
    i += length;
  }
}

// The one code point whose CP932 form is `code`, or 0x110000 when none or
// several are ("?" stands for everything CP932 lacks).
unsigned OnlySourceOf(uint16_t code) {
  const uint16_t source = kOnlySourceOfCp932[code];
  return source == kUnmapped ? 0x110000 : source;
}

// Writes the CP932 form of the code point `u` at `at`; returns its length.
size_t PutCp932(unsigned u, char* at) {
  const uint16_t code = Cp932CodeOf(u);
  if (code < 0x100) {
    *at = static_cast<char>(code);
    return 1;
  }
  at[0] = static_cast<char>(code >> 8);
  at[1] = static_cast<char>(code & 0xFF);
  return 2;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool IsAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

bool Cp932ToOnlySource(std::string_view cp932, std::u16string& units) {
  units.clear();
  for (size_t i = 0; i < cp932.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    uint16_t code = c;
    if (IsDBCSLeadByte(c)) {
      if (i + 1 >= cp932.size()) return false;
      code = static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(cp932[++i]));
    }
    const unsigned u = OnlySourceOf(code);
    if (u > 0xFFFF) return false;
    units.push_back(static_cast<char16_t>(u));
  }
  return true;
}

// A character that is malformed, or that CP932 can't hold, becomes one "?":
// a broken sequence gives up its lead byte alone, a well-formed one (also an
// overlong form, a surrogate, or a character beyond the BMP) goes whole.
size_t Utf8ToCp932(std::string_view utf8, std::string& room) {
  const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t size = utf8.size();
  // No character grows: one to four bytes become one or two.
  if (room.size() < size) room.resize(size);
  char* const begin = room.data();
  char* q = begin;
  size_t i = 0;
  while (i < size) {
    const unsigned char c = in[i];
    const size_t left = size - i;
    if (c < 0x80) {
      // Runs of ASCII go eight bytes at a time.
      uint64_t eight;
      if (left >= 8 && (std::memcpy(&eight, in + i, 8), (eight & 0x8080808080808080ULL) == 0)) {
        std::memcpy(q, &eight, 8);
        q += 8;
        i += 8;
      } else {
        *q++ = static_cast<char>(c);
        ++i;
      }
    } else if (c >= 0xE0 && c < 0xF0 && left >= 3 && IsContinuation(in[i + 1]) && IsContinuation(in[i + 2])) {
      const unsigned u = (c & 0x0F) << 12 | (in[i + 1] & 0x3F) << 6 | (in[i + 2] & 0x3F);
      q += PutCp932(u < 0x800 ? 0x110000 : u, q);  // an overlong form is malformed
      i += 3;
    } else if (c >= 0xC2 && c < 0xE0 && left >= 2 && IsContinuation(in[i + 1])) {
      q += PutCp932((c & 0x1F) << 6 | (in[i + 1] & 0x3F), q);
      i += 2;
    } else if (c >= 0xF0 && c < 0xF5 && left >= 4 && IsContinuation(in[i + 1]) &&
               IsContinuation(in[i + 2]) && IsContinuation(in[i + 3])) {
      *q++ = '?';
      i += 4;
    } else {
      *q++ = '?';
      ++i;
    }
  }
  return static_cast<size_t>(q - begin);
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  out.resize(Utf8ToCp932(utf8, out));
  return out;
}

char* Cp932ToUtf8(std::string_view cp932, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(cp932.data());
  const size_t size = cp932.size();
  auto put = [&out](unsigned code) {
    const uint32_t packed = kUtf8FromCp932[code];
    // All four bytes go, the length too: the next character writes over
    // it, or the room's spare byte takes it.
    std::memcpy(out, &packed, 4);
    out += packed >> 24;
  };
  size_t i = 0;
  while (i < size) {
    // Japanese text is mostly runs of double-byte characters.
    while (i + 1 < size && (kByteRoles[in[i]] & kLeads) && (kByteRoles[in[i + 1]] & kTrails)) {
      put(in[i] << 8 | in[i + 1]);
      i += 2;
    }
    if (i == size) break;
    // Runs of ASCII go eight bytes at a time.
    uint64_t eight;
    if (size - i >= 8 && (std::memcpy(&eight, in + i, 8), (eight & 0x8080808080808080ULL) == 0)) {
      std::memcpy(out, &eight, 8);
      out += 8;
      i += 8;
      continue;
    }
    // Any other byte is a character of its own (a double-byte one begins
    // the run above).
    put(in[i]);
    ++i;
  }
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  std::string out(Cp932ToUtf8Room(cp932.size()), '\0');
  out.resize(static_cast<size_t>(Cp932ToUtf8(cp932, out.data()) - out.data()));
  return out;
}

namespace {

// Both byte orders share one loop; a lone surrogate or a lone last byte is
// one "?", a surrogate pair (beyond the BMP) too.
template <bool bigEndian>
size_t Utf16ToCp932(std::string_view utf16, std::string& room) {
  const auto* in = reinterpret_cast<const unsigned char*>(utf16.data());
  const size_t size = utf16.size();
  auto unit = [&](size_t at) -> unsigned {
    return bigEndian ? (in[at] << 8 | in[at + 1]) : (in[at] | in[at + 1] << 8);
  };
  if (room.size() < size / 2 * 2 + 1) room.resize(size / 2 * 2 + 1);
  char* const out = room.data();
  size_t written = 0;
  size_t i = 0;
  for (; i + 1 < size; i += 2) {
    const unsigned u = unit(i);
    if (u < 0x80) {
      out[written++] = static_cast<char>(u);
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 3 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      out[written++] = '?';
      i += 2;
    } else {
      written += PutCp932(u, out + written);  // a lone surrogate is unmapped
    }
  }
  if (i < size) out[written++] = '?';
  return written;
}

template <bool bigEndian>
std::string Utf16ToCp932(std::string_view utf16) {
  std::string out;
  out.resize(Utf16ToCp932<bigEndian>(utf16, out));
  return out;
}

}  // namespace

size_t Utf16LeToCp932(std::string_view utf16le, std::string& room) { return Utf16ToCp932<false>(utf16le, room); }
size_t Utf16BeToCp932(std::string_view utf16be, std::string& room) { return Utf16ToCp932<true>(utf16be, room); }
std::string Utf16LeToCp932(std::string_view utf16le) { return Utf16ToCp932<false>(utf16le); }
std::string Utf16BeToCp932(std::string_view utf16be) { return Utf16ToCp932<true>(utf16be); }

std::string Cp932ToUtf16Le(std::string_view cp932) {
  std::string out(cp932.size() * 2, '\0');
  char* q = out.data();
  ForEachCodePoint(cp932, [&](unsigned u) {
    if (u == kUnmapped) u = '?';
    *q++ = static_cast<char>(u & 0xFF);
    *q++ = static_cast<char>(u >> 8);
  });
  out.resize(q - out.data());
  return out;
}

uint16_t Cp932CodeOf(char32_t u) { return u < 0x10000 ? kCp932FromUnicode[u] : '?'; }

std::optional<uint16_t> ReversibleCp932Code(char32_t u) {
  if (u >= 0x10000) return std::nullopt;
  const uint16_t code = kCp932FromUnicode[u];
  if (kUnicodeFromCp932[code] != u) return std::nullopt;
  return code;
}

std::optional<char32_t> UnicodeOfCp932(uint16_t code) {
  const uint16_t u = kUnicodeFromCp932[code];
  if (u == kUnmapped) return std::nullopt;
  return u;
}

std::optional<TUtf8Char> NextUtf8Char(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char c = in[0];
  if (c < 0x80) return TUtf8Char{c, 1};
  size_t length;
  char32_t code;
  char32_t least;
  if (c >= 0xC2 && c < 0xE0) {
    length = 2, code = c & 0x1F, least = 0x80;
  } else if (c >= 0xE0 && c < 0xF0) {
    length = 3, code = c & 0x0F, least = 0x800;
  } else if (c >= 0xF0 && c < 0xF5) {
    length = 4, code = c & 0x07, least = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() < length) return std::nullopt;
  for (size_t i = 1; i < length; ++i) {
    if (!IsContinuation(in[i])) return std::nullopt;
    code = code << 6 | (in[i] & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  return TUtf8Char{code, length};
}

std::optional<char32_t> FirstCharacterCp932Lacks(std::string_view utf8) {
  while (!utf8.empty()) {
    const std::optional<TUtf8Char> c = NextUtf8Char(utf8);
    if (!c) return U'\uFFFD';
    if (c->code >= 0x10000 || (kCp932FromUnicode[c->code] == '?' && c->code != '?')) return c->code;
    utf8.remove_prefix(c->length);
  }
  return std::nullopt;
}

}  // namespace tansa2::platform
