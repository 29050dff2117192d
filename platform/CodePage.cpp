#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tansa2::platform {
namespace {

// Byte length of the malformed or unconvertible character at the start of
// `in`, in the source encoding, so the conversion can step over it.
using CharLength = size_t (*)(const unsigned char* in, size_t left);

size_t Utf8CharLength(const unsigned char* in, size_t left) {
  const unsigned char c = in[0];
  size_t n = c < 0xC2 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 1;
  if (n > left) return 1;
  for (size_t i = 1; i < n; ++i)
    if ((in[i] & 0xC0) != 0x80) return 1;  // broken sequence: skip the lead alone
  return n;
}

size_t Utf16LeCharLength(const unsigned char* in, size_t left) {
  if (left < 2) return left;
  const unsigned unit = in[0] | (in[1] << 8);
  if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
    const unsigned low = in[2] | (in[3] << 8);
    if (low >= 0xDC00 && low <= 0xDFFF) return 4;
  }
  return 2;
}

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
Converter& ConverterFor(int which) {
  thread_local Converter utf8ToCp932("CP932", "UTF-8");
  thread_local Converter cp932ToUtf8("UTF-8", "CP932");
  thread_local Converter utf16ToCp932("CP932", "UTF-16LE");
  thread_local Converter cp932ToUtf16("UTF-16LE", "CP932");
  switch (which) {
    case 0: return utf8ToCp932;
    case 1: return cp932ToUtf8;
    case 2: return utf16ToCp932;
    default: return cp932ToUtf16;
  }
}

bool IsAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return ConverterFor(0).Convert(utf8, Utf8CharLength, "?");
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  return ConverterFor(1).Convert(cp932, Cp932CharLength, "?");
}

std::string Utf16LeToCp932(std::string_view utf16le) {
  return ConverterFor(2).Convert(utf16le, Utf16LeCharLength, "?");
}

std::string Cp932ToUtf16Le(std::string_view cp932) {
  return ConverterFor(3).Convert(cp932, Cp932CharLength, std::string_view("?\0", 2));
}

}  // namespace tansa2::platform
