#pragma once
// The settings file: an INI text in Shift-JIS with CR LF line ends, read
// whole into memory, changed there and written back whole. Section and key
// names compare without letter case; sections and keys the program doesn't
// know are kept. Comments (";") and blank lines are dropped by the next
// write. Values that can't be read fall back to the caller's default.
// Damaged bytes are read as far as they make sense: LF, CR LF or CR ends a
// line, a NUL byte ends the line's text, a "[" line without "]" still opens
// its section, and a later copy of a key or a section reads as the first.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsGroups.h"

namespace tansa2 {

// A window's placement and look as section "TANSA2" keeps it.
struct TFormPlacement {
  int32_t Top = 0;
  int32_t Left = 0;
  int32_t Width = 800;
  int32_t Height = 600;
  uint32_t Color = 0x8000000F;  // clBtnFace
  TFontInfo Font;
  int32_t WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
};

class TIniFileEx {
 public:
  // Reads the CP932 path `fileName`; a missing or unreadable file gives an
  // empty object.
  explicit TIniFileEx(std::string fileName);

  // The text after "=", or `defaultValue` when the key is absent; a key
  // present with an empty value gives "".
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& defaultValue) const;
  // Decimal, or hexadecimal after "$" or "0x"; anything else gives the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // A colour name (any letter case) or an integer.
  uint32_t ReadColor(std::string_view section, std::string_view key, uint32_t defaultValue) const;
  // prefix+"FontName", "FontSize", "FontColor", "FontStyleBold", ... each
  // defaulting to the corresponding part of `font`.
  TFontInfo ReadFont(std::string_view section, std::string_view prefix, const TFontInfo& font) const;
  // Top, Left, Width, Height, Color, the font keys, WindowState.
  TFormPlacement ReadForm(std::string_view section, const TFormPlacement& current) const;

  // A new key goes to the end of its section, a new section to the end of
  // the file; an existing key keeps its place. A value ends before a line
  // break or a NUL byte, which the file can't hold inside a line.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void WriteColor(std::string_view section, std::string_view key, uint32_t value);
  void WriteFont(std::string_view section, std::string_view prefix, const TFontInfo& font);
  // Top, Left, Width and Height only while the window state is normal.
  void WriteForm(std::string_view section, const TFormPlacement& placement);

  // The file's text as UpdateFile writes it.
  std::string Text() const;
  // Replaces the file on disk atomically; throws platform::EInOutError,
  // leaving the old file whole.
  void UpdateFile() const;

 private:
  struct TKey {
    std::string Name;
    std::string Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TKey> Keys;
  };

  const TKey* FindKey(std::string_view section, std::string_view key) const;
  TKey& KeyToWrite(std::string_view section, std::string_view key);

  std::string fileName_;
  std::vector<TSection> sections_;
};

// A colour name (any letter case) or an integer; false for anything else.
bool StringToColor(std::string_view text, uint32_t& color);

}  // namespace tansa2
