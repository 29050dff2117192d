#include "platform/ui/QtText.h"

#include <optional>

#include "platform/CodePage.h"
#include "platform/NameForm.h"

namespace tansa2::platform {
namespace {

QString FromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<unsigned> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return std::nullopt;
}

// The byte a visible escape "\xHH" at the front of `text` stands for: one
// that isn't UTF-8 (0x80-0xFF), or the backslash itself.
std::optional<char> EscapedByte(std::string_view text) {
  if (text.size() < 4 || text[0] != '\\' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  const std::optional<unsigned> high = HexDigit(text[2]);
  const std::optional<unsigned> low = HexDigit(text[3]);
  if (!high || !low) return std::nullopt;
  const unsigned byte = *high * 16 + *low;
  if (byte < 0x80 && byte != '\\') return std::nullopt;
  return static_cast<char>(byte);
}

void PutEscape(std::string& shown, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  shown += "\\x";
  shown += kHex[byte >> 4];
  shown += kHex[byte & 0xF];
}

}  // namespace

QString ToQString(std::string_view cp932) { return FromUtf8(Cp932ToUtf8(cp932)); }

std::string FromQString(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToCp932(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QString NameToQString(std::string_view cp932Name) {
  const std::string native = NativePath(cp932Name);
  std::string shown;
  shown.reserve(native.size());
  for (std::string_view rest = native; !rest.empty();) {
    const std::optional<TUtf8Char> c = NextUtf8Char(rest);
    if (!c) {
      PutEscape(shown, static_cast<unsigned char>(rest.front()));
      rest.remove_prefix(1);
    } else if (EscapedByte(rest)) {
      PutEscape(shown, '\\');
      rest.remove_prefix(1);
    } else {
      shown.append(rest.substr(0, c->length));
      rest.remove_prefix(c->length);
    }
  }
  return FromUtf8(shown);
}

QString TextInNameFormToQString(std::string_view cp932Name) { return FromUtf8(NativePath(cp932Name)); }

std::string NameFromQString(const QString& shown) {
  const QByteArray utf8 = shown.toUtf8();
  std::string native;
  native.reserve(static_cast<size_t>(utf8.size()));
  for (std::string_view rest(utf8.constData(), static_cast<size_t>(utf8.size())); !rest.empty();) {
    if (const std::optional<char> byte = EscapedByte(rest)) {
      native += *byte;
      rest.remove_prefix(4);
    } else {
      native += rest.front();
      rest.remove_prefix(1);
    }
  }
  return Cp932FormOfName(native);
}

}  // namespace tansa2::platform
