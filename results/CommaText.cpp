#include "results/CommaText.h"

namespace tansa2 {
namespace {

// Bytes compared as unsigned: Shift-JIS lead and trail bytes are above 0x7F.
bool IsBlank(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x01 && b <= 0x20;
}

bool EndsBareItem(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == ','; }

bool NeedsQuotes(std::string_view item) {
  for (const char c : item) {
    if (IsBlank(c) || c == '"' || c == ',') return true;
  }
  return false;
}

// A cell ends at its first 0x00 byte: the reader stops there, and a 0x00
// in a saved file would end the whole file when it is loaded again.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::string ToCommaText(const std::vector<std::string>& items) {
  const std::vector<std::string_view> views(items.begin(), items.end());
  std::string text;
  AppendCommaText(text, views);
  return text;
}

void AppendCommaText(std::string& text, std::span<const std::string_view> items) {
  if (items.size() == 1 && UpToNul(items[0]).empty()) {
    text += "\"\"";
    return;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += ',';
    const std::string_view item = UpToNul(items[i]);
    if (!NeedsQuotes(item)) {
      text += item;
      continue;
    }
    text += '"';
    for (const char c : item) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
}

std::vector<std::string> FromCommaText(std::string_view text) {
  // Without 0x00 bytes every byte is a blank, a comma, a quote or the start
  // of a bare item, so each step below consumes at least one byte.
  text = UpToNul(text);
  std::vector<std::string> items;
  size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < text.size()) {
    std::string item;
    if (text[i] == '"') {
      // A missing closing quote (a damaged file) leaves the rest of the text to the item.
      for (++i; i < text.size(); ++i) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            ++i;
          } else {
            ++i;
            break;
          }
        }
        item += text[i];
      }
    } else {
      const size_t start = i;
      while (i < text.size() && !EndsBareItem(text[i])) ++i;
      item.assign(text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (i < text.size() && text[i] == ',') {
      if (i + 1 == text.size()) items.emplace_back();
      ++i;
      skipBlanks();
    }
  }
  return items;
}

}  // namespace tansa2
