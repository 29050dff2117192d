#include "settings/IniFileEx.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/ColorNames.h"
#include "platform/FileIO.h"

namespace tansa2 {
namespace {

// Every byte up to the blank counts as a blank, control bytes included.
// CP932 trail bytes are never below 0x40, so trimming can't split a
// double-byte character.
std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// ASCII letters folded to upper case; the trail byte of a double-byte
// character is left alone, whatever ASCII letter it looks like.
std::string FoldCase(std::string_view name) {
  std::string folded(name);
  for (size_t i = 0; i < folded.size(); i += platform::CharLength(folded, i))
    folded[i] = platform::UpperAscii(folded[i]);
  return folded;
}

// A line break or a NUL byte can't be stored inside a value: it would end
// the line there and make the rest a key, or a section, of its own.
std::string_view OneLine(std::string_view text) {
  return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

// "]" is also the second byte of some double-byte characters ("\x83\x5D").
size_t FindClosingBracket(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (platform::IsDBCSLeadByte(static_cast<unsigned char>(text[i]))) ++i;
    else if (text[i] == ']') return i;
  }
  return std::string_view::npos;
}

// A name that ended in the first byte of a double-byte character would
// take the "]" written after it as its second byte when read again.
std::string_view SectionName(std::string_view text) {
  for (;;) {
    text = Trim(text);
    size_t i = 0;
    while (i + 1 < text.size()) i += platform::IsDBCSLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + 1 != text.size() || !platform::IsDBCSLeadByte(static_cast<unsigned char>(text.back()))) return text;
    text.remove_suffix(1);
  }
}

bool ParseInteger(std::string_view text, int32_t& value) {
  int base = 10;
  if (text.starts_with('$')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  if (base == 16) {
    // Eight digits give every 32-bit pattern, the colours' high bit included.
    if (text.empty() || text.front() == '-' || text.front() == '+') return false;
    uint32_t bits = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bits, 16);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    value = static_cast<int32_t>(bits);
    return true;
  }
  // One sign at most; from_chars takes a "-" but not a "+".
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return false;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool StringToColor(std::string_view text, uint32_t& color) {
  if (platform::ColorByName(text, color)) return true;
  int32_t value = 0;
  if (!ParseInteger(text, value)) return false;
  color = static_cast<uint32_t>(value);
  return true;
}

TIniFileEx::TIniFileEx(std::string fileName) : fileName_(std::move(fileName)) {
  std::string bytes;
  try {
    bytes = platform::ReadWholeFile(fileName_);
  } catch (const platform::EFOpenError&) {
    return;
  } catch (const platform::EInOutError&) {
    return;
  }
  // Folded names of the sections and of each section's keys: a damaged file
  // can hold a million lines, and a later copy of a name reads as the first.
  std::unordered_map<std::string, size_t> sectionIndex;
  std::vector<std::unordered_set<std::string>> keyNames;
  TSection* section = nullptr;
  std::string_view rest(bytes);
  while (!rest.empty()) {
    const size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) rest = {};
    else rest.remove_prefix(end + (rest.compare(end, 2, "\r\n") == 0 ? 2 : 1));
    line = Trim(OneLine(line));
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      // A header that lost its "]" still names the section of the keys
      // that follow it.
      line.remove_prefix(1);
      const std::string_view name = SectionName(line.substr(0, FindClosingBracket(line)));
      const auto [it, added] = sectionIndex.try_emplace(FoldCase(name), sections_.size());
      if (added) {
        sections_.push_back(TSection{std::string(name), {}});
        keyNames.emplace_back();
      }
      section = &sections_[it->second];
      continue;
    }
    if (section == nullptr) continue;
    const size_t equal = line.find('=');
    const std::string_view key = Trim(line.substr(0, equal));
    const std::string_view value = equal == std::string_view::npos ? std::string_view() : Trim(line.substr(equal + 1));
    if (keyNames[static_cast<size_t>(section - sections_.data())].insert(FoldCase(key)).second)
      section->Keys.push_back(TKey{std::string(key), std::string(value)});
  }
}

const TIniFileEx::TKey* TIniFileEx::FindKey(std::string_view section, std::string_view key) const {
  for (const TSection& candidate : sections_) {
    if (!platform::SameTextIgnoringCase(candidate.Name, section)) continue;
    for (const TKey& entry : candidate.Keys)
      if (platform::SameTextIgnoringCase(entry.Name, key)) return &entry;
    return nullptr;
  }
  return nullptr;
}

TIniFileEx::TKey& TIniFileEx::KeyToWrite(std::string_view section, std::string_view key) {
  auto it = std::find_if(sections_.begin(), sections_.end(),
                         [&](const TSection& candidate) {
                           return platform::SameTextIgnoringCase(candidate.Name, section);
                         });
  if (it == sections_.end()) it = sections_.insert(sections_.end(), TSection{std::string(OneLine(section)), {}});
  for (TKey& entry : it->Keys)
    if (platform::SameTextIgnoringCase(entry.Name, key)) return entry;
  return it->Keys.emplace_back(TKey{std::string(OneLine(key)), {}});
}

std::string TIniFileEx::ReadString(std::string_view section, std::string_view key,
                                   const std::string& defaultValue) const {
  const TKey* entry = FindKey(section, key);
  return entry != nullptr ? entry->Value : defaultValue;
}

int32_t TIniFileEx::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
  const TKey* entry = FindKey(section, key);
  int32_t value = 0;
  return entry != nullptr && ParseInteger(entry->Value, value) ? value : defaultValue;
}

bool TIniFileEx::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

uint32_t TIniFileEx::ReadColor(std::string_view section, std::string_view key, uint32_t defaultValue) const {
  const TKey* entry = FindKey(section, key);
  uint32_t color = 0;
  return entry != nullptr && StringToColor(entry->Value, color) ? color : defaultValue;
}

TFontInfo TIniFileEx::ReadFont(std::string_view section, std::string_view prefix, const TFontInfo& font) const {
  const std::string p(prefix);
  TFontInfo result;
  result.Name = ReadString(section, p + "FontName", font.Name);
  result.Size = ReadInteger(section, p + "FontSize", font.Size);
  result.Color = ReadColor(section, p + "FontColor", font.Color);
  result.Bold = ReadBool(section, p + "FontStyleBold", font.Bold);
  result.Italic = ReadBool(section, p + "FontStyleItalic", font.Italic);
  result.Underline = ReadBool(section, p + "FontStyleUnderline", font.Underline);
  return result;
}

TFormPlacement TIniFileEx::ReadForm(std::string_view section, const TFormPlacement& current) const {
  TFormPlacement result;
  result.Top = ReadInteger(section, "Top", 0);
  result.Left = ReadInteger(section, "Left", 0);
  result.Width = ReadInteger(section, "Width", current.Width);
  result.Height = ReadInteger(section, "Height", current.Height);
  result.Color = ReadColor(section, "Color", current.Color);
  result.Font = ReadFont(section, "", current.Font);
  result.WindowState = ReadInteger(section, "WindowState", current.WindowState);
  return result;
}

void TIniFileEx::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  KeyToWrite(section, key).Value = std::string(OneLine(value));
}

void TIniFileEx::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFileEx::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFileEx::WriteColor(std::string_view section, std::string_view key, uint32_t value) {
  WriteString(section, key, platform::ColorToString(value));
}

void TIniFileEx::WriteFont(std::string_view section, std::string_view prefix, const TFontInfo& font) {
  const std::string p(prefix);
  WriteString(section, p + "FontName", font.Name);
  WriteInteger(section, p + "FontSize", font.Size);
  WriteColor(section, p + "FontColor", font.Color);
  WriteBool(section, p + "FontStyleBold", font.Bold);
  WriteBool(section, p + "FontStyleItalic", font.Italic);
  WriteBool(section, p + "FontStyleUnderline", font.Underline);
}

void TIniFileEx::WriteForm(std::string_view section, const TFormPlacement& placement) {
  // The bounds of a maximised or minimised window are not the ones to come
  // back to: the file keeps the last normal bounds.
  if (placement.WindowState == 0) {
    WriteInteger(section, "Top", placement.Top);
    WriteInteger(section, "Left", placement.Left);
    WriteInteger(section, "Width", placement.Width);
    WriteInteger(section, "Height", placement.Height);
  }
  WriteColor(section, "Color", placement.Color);
  WriteFont(section, "", placement.Font);
  WriteInteger(section, "WindowState", placement.WindowState);
}

std::string TIniFileEx::Text() const {
  std::string text;
  for (const TSection& section : sections_) {
    text += '[';
    text += section.Name;
    text += "]\r\n";
    for (const TKey& key : section.Keys) {
      text += key.Name;
      text += '=';
      text += key.Value;
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

void TIniFileEx::UpdateFile() const { platform::WriteFileAtomically(fileName_, Text()); }

}  // namespace tansa2
