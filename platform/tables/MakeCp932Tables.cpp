// Writes the CP932 conversion tables the program is built with, read off this
// machine's iconv one character at a time:
//   kCp932FromUnicode: for every code point of the Basic Multilingual Plane,
//     its CP932 code (below 0x100 for one byte), or "?" where CP932 has none;
//   kUnicodeFromCp932: for every byte and every lead byte with a trail byte
//     (lead << 8 | trail), the code point it stands for, or kUnmapped;
//   kOnlySourceOfCp932: for every CP932 code, the one code point that turns
//     into it, or kUnmapped when none or several do.
// Making them at build time keeps 65,000 conversions out of every start.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr uint16_t kUnmapped = 0xFFFF;  // a noncharacter: no CP932 code stands for it

class TIconv {
 public:
  TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~TIconv() {
    if (Opened()) iconv_close(cd_);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  bool Opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in` whole as one call; false when iconv stops anywhere.
  bool Convert(const unsigned char* in, size_t inSize, unsigned char* out, size_t& outSize) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = inSize;
    size_t outLeft = outSize;
    const bool converted = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
    outSize -= outLeft;
    return converted && inLeft == 0;
  }

 private:
  iconv_t cd_;
};

bool IsLeadByte(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrailByte(unsigned c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

void WriteTable(std::FILE* out, const char* name, const std::vector<uint16_t>& table) {
  std::fprintf(out, "inline constexpr uint16_t %s[0x10000] = {\n", name);
  for (size_t i = 0; i < table.size(); ++i)
    std::fprintf(out, "0x%04X,%s", table[i], i % 16 == 15 ? "\n" : "");
  std::fprintf(out, "};\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  TIconv toCp932("CP932", "UTF-16LE");
  TIconv fromCp932("UTF-16LE", "CP932");
  if (!toCp932.Opened() || !fromCp932.Opened()) {
    std::fprintf(stderr, "%s: iconv has no CP932\n", argv[0]);
    return 1;
  }

  std::vector<uint16_t> cp932FromUnicode(0x10000, '?');
  for (unsigned u = 0; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const unsigned char in[2] = {static_cast<unsigned char>(u & 0xFF), static_cast<unsigned char>(u >> 8)};
    unsigned char code[4];
    size_t length = sizeof code;
    if (!toCp932.Convert(in, sizeof in, code, length)) continue;
    if (length == 1) cp932FromUnicode[u] = code[0];
    if (length == 2) cp932FromUnicode[u] = static_cast<uint16_t>(code[0] << 8 | code[1]);
  }

  std::vector<uint16_t> onlySourceOfCp932(0x10000, kUnmapped);
  std::vector<bool> hasSource(0x10000, false);
  for (unsigned u = 0; u < 0x10000; ++u) {
    const uint16_t code = cp932FromUnicode[u];
    onlySourceOfCp932[code] = hasSource[code] ? kUnmapped : static_cast<uint16_t>(u);
    hasSource[code] = true;
  }

  std::vector<uint16_t> unicodeFromCp932(0x10000, kUnmapped);
  auto read = [&](unsigned index, const unsigned char* in, size_t size) {
    unsigned char unit[8];
    size_t length = sizeof unit;
    if (fromCp932.Convert(in, size, unit, length) && length == 2) {
      const uint16_t u = static_cast<uint16_t>(unit[0] | unit[1] << 8);
      // A surrogate would need its pair, and kUnmapped must stay free.
      if (u != kUnmapped && (u < 0xD800 || u > 0xDFFF)) unicodeFromCp932[index] = u;
    }
  };
  for (unsigned c = 0; c < 0x100; ++c) {
    if (!IsLeadByte(c)) {
      const unsigned char single[1] = {static_cast<unsigned char>(c)};
      read(c, single, 1);
      continue;
    }
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      if (!IsTrailByte(trail)) continue;
      const unsigned char pair[2] = {static_cast<unsigned char>(c), static_cast<unsigned char>(trail)};
      read(c << 8 | trail, pair, 2);
    }
  }

  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "// Made by MakeCp932Tables from iconv's CP932; not to be edited.\n");
  std::fprintf(out, "inline constexpr uint16_t kUnmapped = 0x%04X;\n", kUnmapped);
  WriteTable(out, "kCp932FromUnicode", cp932FromUnicode);
  WriteTable(out, "kUnicodeFromCp932", unicodeFromCp932);
  WriteTable(out, "kOnlySourceOfCp932", onlySourceOfCp932);
  const bool written = std::ferror(out) == 0;
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
