#include "platform/NameForm.h"

#include <algorithm>
#include <optional>

#include "platform/CodePage.h"

namespace tansa2::platform {
namespace {

constexpr unsigned char kRawByteLead = 0xF0;
constexpr unsigned char kFirstCodeLead = 0xF1;
constexpr unsigned char kLastCodeLead = 0xF9;
constexpr unsigned kTrailsPerLead = 188;  // 0x40-0x7E and 0x80-0xFC
constexpr unsigned kDigitBase = (kLastCodeLead - kFirstCodeLead + 1) * kTrailsPerLead;  // 1692

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char TrailByte(unsigned index) { return static_cast<char>(index < 63 ? 0x40 + index : 0x80 + (index - 63)); }

std::optional<unsigned> TrailIndex(unsigned char trail) {
  if (trail >= 0x40 && trail <= 0x7E) return trail - 0x40u;
  if (trail >= 0x80 && trail <= 0xFC) return trail - 0x80u + 63;
  return std::nullopt;
}

void PutCode(std::string& out, uint16_t code) {
  if (code >= 0x100) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

void PutEscapedCodePoint(std::string& out, char32_t u) {
  for (const unsigned digit : {static_cast<unsigned>(u / kDigitBase), static_cast<unsigned>(u % kDigitBase)}) {
    out += static_cast<char>(kFirstCodeLead + digit / kTrailsPerLead);
    out += TrailByte(digit % kTrailsPerLead);
  }
}

void PutUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | u >> 6);
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | u >> 12);
    out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | u >> 18);
    out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// The digit (0-1691) of an escape character of a code point, if `at` holds one.
std::optional<unsigned> CodeDigitAt(std::string_view form, size_t at) {
  if (at + 1 >= form.size()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(form[at]);
  if (lead < kFirstCodeLead || lead > kLastCodeLead) return std::nullopt;
  const std::optional<unsigned> trail = TrailIndex(static_cast<unsigned char>(form[at + 1]));
  if (!trail) return std::nullopt;
  return (lead - kFirstCodeLead) * kTrailsPerLead + *trail;
}

}  // namespace

std::string Cp932FormOfName(std::string_view nativeName) {
  // Nearly every name is ASCII, and a listing converts every name it reads.
  if (IsAscii(nativeName)) return std::string(nativeName);
  std::string form;
  form.reserve(nativeName.size() + 8);
  while (!nativeName.empty()) {
    const std::optional<TUtf8Char> c = NextUtf8Char(nativeName);
    if (!c) {
      form += static_cast<char>(kRawByteLead);
      form += TrailByte(static_cast<unsigned char>(nativeName.front()) - 0x80u);
      nativeName.remove_prefix(1);
      continue;
    }
    const std::optional<uint16_t> code = ReversibleCp932Code(c->code);
    const bool userDefined = code && *code >> 8 >= kRawByteLead && *code >> 8 <= kLastCodeLead;
    if (code && !userDefined)
      PutCode(form, *code);
    else
      PutEscapedCodePoint(form, c->code);
    nativeName.remove_prefix(c->length);
  }
  return form;
}

std::string NativePath(std::string_view cp932Path) {
  if (IsAscii(cp932Path)) return std::string(cp932Path);
  std::string native;
  native.reserve(cp932Path.size() * 3 / 2 + 8);
  for (size_t i = 0; i < cp932Path.size();) {
    const auto c = static_cast<unsigned char>(cp932Path[i]);
    if (c == kRawByteLead && i + 1 < cp932Path.size()) {
      const std::optional<unsigned> trail = TrailIndex(static_cast<unsigned char>(cp932Path[i + 1]));
      if (trail && *trail < 0x80) {
        native += static_cast<char>(0x80 + *trail);
        i += 2;
        continue;
      }
    }
    const std::optional<unsigned> high = CodeDigitAt(cp932Path, i);
    const std::optional<unsigned> low = high ? CodeDigitAt(cp932Path, i + 2) : std::nullopt;
    if (low) {
      const char32_t u = *high * kDigitBase + *low;
      if (u <= 0x10FFFF && (u < 0xD800 || u > 0xDFFF)) {
        PutUtf8(native, u);
        i += 4;
        continue;
      }
    }
    const size_t length = CharLength(cp932Path, i);
    const uint16_t code = length == 2 ? static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(cp932Path[i + 1])) : c;
    const std::optional<char32_t> u = UnicodeOfCp932(code);
    PutUtf8(native, u ? *u : U'?');
    i += length;
  }
  return native;
}

}  // namespace tansa2::platform
