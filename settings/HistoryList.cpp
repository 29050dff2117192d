#include "settings/HistoryList.h"

#include <algorithm>

namespace tansa2 {
namespace {

unsigned char AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

bool IsBlankOnly(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= 0x20; });
}

}  // namespace

bool AddHistory(std::vector<std::string>& items, const std::string& text, int maxHistory) {
  if (text.find("\r\n") != std::string::npos || text.find('\t') != std::string::npos ||
      IsBlankOnly(text))
    return false;
  std::erase(items, text);
  items.insert(items.begin(), text);
  LimitHistory(items, maxHistory);
  return true;
}

void LimitHistory(std::vector<std::string>& items, int maxHistory) {
  const size_t limit = static_cast<size_t>(std::max(maxHistory, 0));
  if (items.size() > limit) items.resize(limit);
}

int FindCompletion(const std::vector<std::string>& items, std::string_view typed, int minLength) {
  if (typed.size() < static_cast<size_t>(std::max(minLength, 0))) return -1;
  const auto sameUpper = [](char a, char b) { return AsciiUpper(a) == AsciiUpper(b); };
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    if (item.size() >= typed.size() &&
        std::equal(typed.begin(), typed.end(), item.begin(), sameUpper))
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tansa2
