#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace tansa2::platform {
namespace {

// Byte length of the malformed or unconvertible character at the start of
// `in`, in the source encoding, so the conversion can step over it.
using CharLength = size_t (*)(const unsigned char* in, size_t left);

// A lead byte takes its trail only when that is a trail byte at all, so a stray
// lead byte never swallows the line break or letter after it.
size_t Cp932CharLength(const unsigned char* in, size_t left) {
  if (!IsDBCSLeadByte(in[0]) || left < 2) return 1;
  const unsigned char trail = in[1];
  return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 1;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::string Convert(std::string_view input, CharLength charLength,
                      std::string_view replacement) {
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t written = 0;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      char* outPtr = out.data() + written;
      size_t outLeft = out.size() - written;
      const size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      written = out.size() - outLeft;
      if (rc != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
      } else {  // EILSEQ or EINVAL: replace one source character and go on
        const size_t skip = charLength(reinterpret_cast<unsigned char*>(in), inLeft);
        in += skip;
        inLeft -= skip;
        if (out.size() - written < replacement.size()) out.resize(out.size() * 2);
        out.replace(written, replacement.size(), replacement);
        written += replacement.size();
      }
    }
    out.resize(written);
    return out;
  }

 private:
  iconv_t cd_;
};

// iconv descriptors carry state, so each thread keeps its own.
Converter& ConverterFor(bool toUtf8) {
  thread_local Converter cp932ToUtf8("UTF-8", "CP932");
  thread_local Converter cp932ToUtf16("UTF-16LE", "CP932");
  return toUtf8 ? cp932ToUtf8 : cp932ToUtf16;
}

// Whole files are converted to CP932, so that direction goes through a table
// of every code point of the Basic Multilingual Plane, made once from
// iconv's own mapping. An entry holds the CP932 code (one byte below 0x100);
// what CP932 can't hold has "?" there.
class UnicodeToCp932Table {
 public:
  UnicodeToCp932Table() : codes_(0x10000, '?') {
    // One call for the whole plane: each code point followed by LF, so the
    // output splits at LF into one entry per code point, empty where iconv
    // skipped what CP932 lacks (no CP932 character holds the byte 0x0A).
    std::vector<unsigned> points;
    std::u16string in;
    points.reserve(0x10000);
    in.reserve(0x20000);
    for (unsigned u = 0; u < 0x10000; ++u) {
      if ((u >= 0xD800 && u <= 0xDFFF) || u == '\n') continue;
      points.push_back(u);
      in += static_cast<char16_t>(u);
      in += u'\n';
    }
    // UCS-2 is built into iconv (UTF-16 is a module to load), and the plane
    // without surrogates is the same in both.
    static_assert(std::endian::native == std::endian::little, "the units are handed over as UCS-2LE");
    iconv_t cd = iconv_open("CP932//IGNORE", "UCS-2LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert UCS-2LE to CP932");
    std::string out(in.size() * 2, '\0');
    char* inPtr = reinterpret_cast<char*>(in.data());
    size_t inLeft = in.size() * 2;
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
      const size_t before = inLeft;
      // Skipping reports EILSEQ now and then; it goes on where it stopped.
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) || errno != EILSEQ) break;
      if (inLeft == before) {  // stuck on a code point: it gets no entry
        inPtr += 2;
        inLeft -= 2;
      }
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    codes_['\n'] = '\n';
    size_t entry = 0;
    for (const unsigned u : points) {
      const size_t end = std::min(out.find('\n', entry), out.size());
      const auto* code = reinterpret_cast<const unsigned char*>(out.data() + entry);
      if (end - entry == 1) codes_[u] = code[0];
      if (end - entry == 2) codes_[u] = static_cast<uint16_t>(code[0] << 8 | code[1]);
      entry = end + 1;
      if (entry > out.size()) break;
    }
  }

  // The one code point whose CP932 form is `code`, or 0x110000 when none or
  // several are ("?" stands for everything CP932 lacks).
  unsigned OnlySourceOf(uint16_t code) const {
    // Asked for the few characters of a search text only, so a scan of the
    // table beats keeping its inverse.
    if (code == '?') return 0x110000;
    unsigned source = 0x110000;
    for (unsigned u = 0; u < 0x10000; ++u) {
      if (codes_[u] != code) continue;
      if (source != 0x110000) return 0x110000;
      source = u;
    }
    return source;
  }

  // Writes the CP932 form of the code point `u` at `at`; returns its length.
  size_t Put(unsigned u, char* at) const {
    const uint16_t code = u < 0x10000 ? codes_[u] : '?';
    if (code < 0x100) {
      *at = static_cast<char>(code);
      return 1;
    }
    at[0] = static_cast<char>(code >> 8);
    at[1] = static_cast<char>(code & 0xFF);
    return 2;
  }

 private:
  std::vector<uint16_t> codes_;
};

const UnicodeToCp932Table& TheTable() {
  static const UnicodeToCp932Table table;
  return table;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool IsAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

bool Cp932ToOnlySource(std::string_view cp932, std::u16string& units) {
  const UnicodeToCp932Table& table = TheTable();
  units.clear();
  for (size_t i = 0; i < cp932.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    uint16_t code = c;
    if (IsDBCSLeadByte(c)) {
      if (i + 1 >= cp932.size()) return false;
      code = static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(cp932[++i]));
    }
    const unsigned u = table.OnlySourceOf(code);
    if (u > 0xFFFF) return false;
    units.push_back(static_cast<char16_t>(u));
  }
  return true;
}

// A character that is malformed, or that CP932 can't hold, becomes one "?":
// a broken sequence gives up its lead byte alone, a well-formed one (also an
// overlong form, a surrogate, or a character beyond the BMP) goes whole.
std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  const UnicodeToCp932Table& table = TheTable();
  const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t size = utf8.size();
  // No character grows: one to four bytes become one or two.
  std::string out(size, '\0');
  char* const begin = out.data();
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
      q += table.Put(u < 0x800 ? 0x110000 : u, q);  // an overlong form is malformed
      i += 3;
    } else if (c >= 0xC2 && c < 0xE0 && left >= 2 && IsContinuation(in[i + 1])) {
      q += table.Put((c & 0x1F) << 6 | (in[i + 1] & 0x3F), q);
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
  out.resize(q - begin);
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  return ConverterFor(true).Convert(cp932, Cp932CharLength, "?");
}

namespace {

// Both byte orders share one loop; a lone surrogate or a lone last byte is
// one "?", a surrogate pair (beyond the BMP) too.
template <bool bigEndian>
std::string Utf16ToCp932(std::string_view utf16) {
  const UnicodeToCp932Table& table = TheTable();
  const auto* in = reinterpret_cast<const unsigned char*>(utf16.data());
  const size_t size = utf16.size();
  auto unit = [&](size_t at) -> unsigned {
    return bigEndian ? (in[at] << 8 | in[at + 1]) : (in[at] | in[at + 1] << 8);
  };
  std::string out(size / 2 * 2 + 1, '\0');
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
      written += table.Put(u, out.data() + written);  // a lone surrogate is unmapped
    }
  }
  if (i < size) out[written++] = '?';
  out.resize(written);
  return out;
}

}  // namespace

std::string Utf16LeToCp932(std::string_view utf16le) { return Utf16ToCp932<false>(utf16le); }
std::string Utf16BeToCp932(std::string_view utf16be) { return Utf16ToCp932<true>(utf16be); }

std::string Cp932ToUtf16Le(std::string_view cp932) {
  return ConverterFor(false).Convert(cp932, Cp932CharLength, std::string_view("?\0", 2));
}

}  // namespace tansa2::platform
