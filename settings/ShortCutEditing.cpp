#include "settings/ShortCutEditing.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "results/CommaText.h"

namespace tansa2 {
namespace {

TShortCutCommand* CommandAt(TShortCutTable& table, TShortCutPlace place) {
  if (!IsUsedPlace(table, place)) return nullptr;
  return &table.Categories[static_cast<size_t>(place.Category)].Commands[static_cast<size_t>(place.Command)];
}

}  // namespace

int32_t UsedCategoryCount(const TShortCutTable& table) {
  return std::clamp(table.CategoryCount, 0, TShortCutTable::kCapacity);
}

int32_t UsedCommandCount(const TShortCutTable& table, int32_t category) {
  if (category < 0 || category >= UsedCategoryCount(table)) return 0;
  return std::clamp(table.Categories[static_cast<size_t>(category)].Count, 0, TShortCutCategory::kCapacity);
}

bool IsUsedPlace(const TShortCutTable& table, TShortCutPlace place) {
  return place.Command >= 0 && place.Command < UsedCommandCount(table, place.Category);
}

std::vector<std::string> ShortCutTexts(const TShortCutTable& table, TShortCutPlace place) {
  if (!IsUsedPlace(table, place)) return {};
  const TShortCutCategory& category = table.Categories[static_cast<size_t>(place.Category)];
  return FromCommaText(category.Commands[static_cast<size_t>(place.Command)].ShortCuts);
}

void SetShortCutTexts(TShortCutTable& table, TShortCutPlace place, const std::vector<std::string>& texts) {
  if (TShortCutCommand* command = CommandAt(table, place)) command->ShortCuts = ToCommaText(texts);
}

// The second byte of a double-byte character may look like a capital letter;
// it is never folded, so two different kana never compare equal.
bool SameShortCutText(std::string_view a, std::string_view b) { return platform::SameTextIgnoringCase(a, b); }

bool ContainsShortCut(const std::vector<std::string>& texts, std::string_view text) {
  return std::ranges::any_of(texts, [text](const std::string& item) { return SameShortCutText(item, text); });
}

std::optional<TShortCutPlace> FindShortCut(const TShortCutTable& table, std::string_view text) {
  for (int32_t category = 0; category < UsedCategoryCount(table); ++category) {
    for (int32_t command = 0; command < UsedCommandCount(table, category); ++command) {
      const TShortCutPlace place{category, command};
      if (ContainsShortCut(ShortCutTexts(table, place), text)) return place;
    }
  }
  return std::nullopt;
}

std::string ReplaceShortCutQuestion(const TShortCutTable& table, TShortCutPlace owner, std::string_view text) {
  using platform::Utf8ToCp932;
  std::string category;
  std::string command;
  if (IsUsedPlace(table, owner)) {
    const TShortCutCategory& used = table.Categories[static_cast<size_t>(owner.Category)];
    category = used.Name;
    command = used.Commands[static_cast<size_t>(owner.Command)].Name;
  }
  std::string question = Utf8ToCp932("ショートカット ");
  question.append(text);
  question += Utf8ToCp932(" は［") + category + Utf8ToCp932("：") + command + Utf8ToCp932("］で使用されています。");
  question += "\r\n\r\n" + Utf8ToCp932("設定を置き換えますか？");
  return question;
}

bool AddShortCut(TShortCutTable& table, TShortCutPlace place, const std::string& text,
                 const std::function<bool(const std::string& question)>& confirm) {
  if (text.empty() || !IsUsedPlace(table, place)) return false;
  if (const std::optional<TShortCutPlace> owner = FindShortCut(table, text)) {
    if (!confirm(ReplaceShortCutQuestion(table, *owner, text))) return false;
    std::vector<std::string> texts = ShortCutTexts(table, *owner);
    texts.erase(std::ranges::find_if(texts, [&text](const std::string& item) { return SameShortCutText(item, text); }));
    SetShortCutTexts(table, *owner, texts);
  }
  std::vector<std::string> texts = ShortCutTexts(table, place);
  texts.push_back(text);
  SetShortCutTexts(table, place, texts);
  return true;
}

void DeleteRows(std::vector<std::string>& texts, const std::vector<int>& selected) {
  std::vector<std::string> kept;
  for (size_t row = 0; row < texts.size(); ++row)
    if (std::ranges::find(selected, static_cast<int>(row)) == selected.end()) kept.push_back(std::move(texts[row]));
  texts = std::move(kept);
}

bool CanMoveRow(int count, const std::vector<int>& selected, int step) {
  if (selected.size() != 1) return false;
  const int row = selected.front();
  return row >= 0 && row < count && row + step >= 0 && row + step < count;
}

std::optional<int> MoveRow(std::vector<std::string>& texts, const std::vector<int>& selected, int step) {
  if (!CanMoveRow(static_cast<int>(texts.size()), selected, step)) return std::nullopt;
  const int row = selected.front();
  std::swap(texts[static_cast<size_t>(row)], texts[static_cast<size_t>(row + step)]);
  return row + step;
}

TShortCutButtons ShortCutButtons(bool hasNewShortCut, int count, const std::vector<int>& selected) {
  return {.Add = hasNewShortCut,
          .Delete = !selected.empty(),
          .Clear = count > 0,
          .Up = CanMoveRow(count, selected, -1),
          .Down = CanMoveRow(count, selected, +1)};
}

}  // namespace tansa2
