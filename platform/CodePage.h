#pragma once
// Conversions between the program's internal text (Shift-JIS, Windows code
// page 932) and the Unicode encodings of the outside world. Whatever CP932
// can't hold, and whatever is malformed, becomes "?"; a conversion never stops
// half way.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tansa2::platform {

// Lead byte of a double-byte CP932 character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsDBCSLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Byte length of the character at `pos`: 2 for a lead byte that has its
// trail byte, else 1.
constexpr size_t CharLength(std::string_view text, size_t pos) {
  return IsDBCSLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// An ASCII letter in upper case; any other byte as it is. Only for bytes
// that begin a character: a trail byte is never folded.
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether two texts are the same with ASCII letters compared without case;
// a double-byte character is compared whole, its trail byte never folded.
constexpr bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    const size_t length = CharLength(a, i);
    if (length == 1 ? UpperAscii(a[i]) != UpperAscii(b[i]) : a.substr(i, length) != b.substr(i, length)) return false;
    i += length;
  }
  return true;
}

std::string Utf8ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(std::string_view cp932);
// The same written at `out`, which has room for Cp932ToUtf8Room(cp932.size())
// bytes; returns the end of what was written. For output that is converted
// piece by piece into one buffer. A byte may become three (half-width
// katakana), and one spare byte lets each character go in a single store.
constexpr size_t Cp932ToUtf8Room(size_t cp932Size) { return cp932Size * 3 + 1; }
char* Cp932ToUtf8(std::string_view cp932, char* out);
// UTF-16 bytes; an odd last byte counts as malformed.
std::string Utf16LeToCp932(std::string_view utf16le);
std::string Utf16BeToCp932(std::string_view utf16be);
// The same into the front of `room`, which grows as needed and never
// shrinks, so that it can be kept from text to text; they return the number
// of bytes written.
size_t Utf8ToCp932(std::string_view utf8, std::string& room);
size_t Utf16LeToCp932(std::string_view utf16le, std::string& room);
size_t Utf16BeToCp932(std::string_view utf16be, std::string& room);
std::string Cp932ToUtf16Le(std::string_view cp932);

// The UTF-16 units whose conversion to CP932 alone gives `cp932`, when each
// of its characters comes from exactly one code point (so "?" never does).
// A text found in converted form was then found in this form before.
bool Cp932ToOnlySource(std::string_view cp932, std::u16string& units);

// The CP932 code (below 0x100 for a single byte) that converts back to the
// code point `u` itself; nothing when CP932 lacks `u` or gives it the code of
// another character.
std::optional<uint16_t> ReversibleCp932Code(char32_t u);
// The CP932 code every conversion turns the code point `u` into ("?" where
// CP932 lacks it).
uint16_t Cp932CodeOf(char32_t u);
// The code point a CP932 code (lead << 8 | trail, or a single byte) stands
// for, if any.
std::optional<char32_t> UnicodeOfCp932(uint16_t code);

// The first character of typed UTF-8 text that CP932 can't hold, so that it
// is refused instead of turned into "?"; a malformed byte counts as U+FFFD.
std::optional<char32_t> FirstCharacterCp932Lacks(std::string_view utf8);

// Steps over the UTF-8 sequence at the front of `text`: its code point and
// length, or nothing when it is malformed (an overlong form, a surrogate,
// beyond U+10FFFF, cut short).
struct TUtf8Char {
  char32_t code;
  size_t length;
};
std::optional<TUtf8Char> NextUtf8Char(std::string_view text);

}  // namespace tansa2::platform
