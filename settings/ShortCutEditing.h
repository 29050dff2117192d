#pragma once
// What the preferences dialog's shortcut page does to its copy of the
// shortcut table: every command's list of shortcut texts, the search for the
// command that already has a text, adding a text with the question that takes
// it from its owner, and the row operations of the page's list. Texts compare
// without regard to letter case; the question is program text (CP932).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ShortCutTable.h"

namespace tansa2 {

// A command of the table by its category and its position in the category.
struct TShortCutPlace {
  int32_t Category = 0;
  int32_t Command = 0;

  bool operator==(const TShortCutPlace&) const = default;
};

// The categories and commands in use, never more than the table holds (a
// damaged count reads as what fits).
int32_t UsedCategoryCount(const TShortCutTable& table);
int32_t UsedCommandCount(const TShortCutTable& table, int32_t category);
bool IsUsedPlace(const TShortCutTable& table, TShortCutPlace place);

// A command's shortcut texts, the primary one first; empty for a place not
// in use. Setting them at a place not in use changes nothing.
std::vector<std::string> ShortCutTexts(const TShortCutTable& table, TShortCutPlace place);
void SetShortCutTexts(TShortCutTable& table, TShortCutPlace place, const std::vector<std::string>& texts);

bool SameShortCutText(std::string_view a, std::string_view b);
bool ContainsShortCut(const std::vector<std::string>& texts, std::string_view text);

// The first command, categories and commands in order, whose list holds
// `text`.
std::optional<TShortCutPlace> FindShortCut(const TShortCutTable& table, std::string_view text);

// The question asked before `text` is taken from the command at `owner`.
std::string ReplaceShortCutQuestion(const TShortCutTable& table, TShortCutPlace owner, std::string_view text);

// Appends `text` to the list of the command at `place`. When a command
// already has it, `confirm` gets the question: No leaves the table as it was,
// Yes first removes the text's first occurrence from that command, which may
// be the one at `place`. Returns whether the table changed.
bool AddShortCut(TShortCutTable& table, TShortCutPlace place, const std::string& text,
                 const std::function<bool(const std::string& question)>& confirm);

// The rows of the page's list, `selected` holding the selected row numbers.
void DeleteRows(std::vector<std::string>& texts, const std::vector<int>& selected);
// Whether the one selected row can move by `step` (-1 up, +1 down).
bool CanMoveRow(int count, const std::vector<int>& selected, int step);
// Exchanges the one selected row with its neighbour; gives the row's new
// number, or nothing when it can't move.
std::optional<int> MoveRow(std::vector<std::string>& texts, const std::vector<int>& selected, int step);

struct TShortCutButtons {
  bool Add = false;
  bool Delete = false;
  bool Clear = false;
  bool Up = false;
  bool Down = false;

  bool operator==(const TShortCutButtons&) const = default;
};

TShortCutButtons ShortCutButtons(bool hasNewShortCut, int count, const std::vector<int>& selected);

}  // namespace tansa2
