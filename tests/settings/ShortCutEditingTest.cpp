#include "settings/ShortCutEditing.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/CodePage.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;
using Texts = std::vector<std::string>;

// The menus and commands of the main window with their designed shortcuts.
TShortCutTable MainTable() {
  const std::vector<std::pair<const char*, std::vector<std::pair<const char*, const char*>>>> menus = {
      {"ファイル", {{"終了", ""}}},
      {"検索", {{"検索開始", "F3"}, {"検索中止", "Esc"}, {"ディレクトリツリーを最新情報に更新", "F5"}}},
      {"結果",
       {{"戻る", "Ctrl+Left"},
        {"次へ", "Ctrl+Right"},
        {"エディタで開く", "Ctrl+O"},
        {"結果を消去", "Ctrl+Del"},
        {"結果を保存", "Ctrl+S"},
        {"結果履歴を削除", ""}}},
      {"ツール", {{"環境設定", "F10"}, {"ディレクトリパネル", ""}, {"ツールバー", ""}}},
      {"ヘルプ", {{"バージョン情報", ""}}}};
  TShortCutTable table;
  table.CategoryCount = static_cast<int32_t>(menus.size());
  for (size_t i = 0; i < menus.size(); ++i) {
    TShortCutCategory& category = table.Categories[i];
    category.Name = Utf8ToCp932(menus[i].first);
    category.Count = static_cast<int32_t>(menus[i].second.size());
    for (size_t j = 0; j < menus[i].second.size(); ++j)
      category.Commands[j] = {Utf8ToCp932(menus[i].second[j].first), menus[i].second[j].second};
  }
  return table;
}

constexpr TShortCutPlace kFileExit{0, 0};
constexpr TShortCutPlace kGrepStart{1, 0};
constexpr TShortCutPlace kGrepCancel{1, 1};
constexpr TShortCutPlace kResultEditor{2, 2};
constexpr TShortCutPlace kToolEnv{3, 0};

std::string& ShortCuts(TShortCutTable& table, TShortCutPlace place) {
  return table.Categories[static_cast<size_t>(place.Category)].Commands[static_cast<size_t>(place.Command)].ShortCuts;
}

TEST(ShortCutEditingTest, FindShortCutTakesTheFirstCommandInMenuOrder) {
  TShortCutTable table = MainTable();
  ShortCuts(table, kToolEnv) = "F10,Ctrl+G,\"Ctrl+,\"";
  ShortCuts(table, kFileExit) = "Alt+X,Ctrl+G";
  struct TCase {
    const char* text;
    std::optional<TShortCutPlace> found;
  };
  const std::vector<TCase> cases = {
      {"F3", kGrepStart},
      {"f3", kGrepStart},
      {"ESC", kGrepCancel},
      {"CTRL+o", kResultEditor},
      {"Ctrl+G", kFileExit},  // both have it: the earlier menu wins
      {"Ctrl+,", kToolEnv},   // a quoted item of the comma text
      {"Ctrl+F3", std::nullopt},
      {"F", std::nullopt},
      {"", std::nullopt},
  };
  for (const TCase& c : cases) EXPECT_EQ(FindShortCut(table, c.text), c.found) << c.text;
}

TEST(ShortCutEditingTest, TextsCompareWithoutLetterCaseButKanaStayApart) {
  struct TCase {
    const char* a;
    const char* b;
    bool same;
  };
  const std::vector<TCase> cases = {
      {"Shift+Ctrl+Tab", "shift+CTRL+tab", true},
      {"Ctrl+O", "Ctrl+O ", false},
      {"Ctrl+O", "Ctrl+0", false},
      // 0x83 0x41 and 0x83 0x61 are two different katakana.
      {"\x83\x41", "\x83\x61", false},
      {"\x83\x41x", "\x83\x41X", true},
      // A lead byte at the very end has no second byte to skip.
      {"A\x83", "a\x84", false},
      {"A\x83", "a\x83", true},
  };
  for (const TCase& c : cases) EXPECT_EQ(SameShortCutText(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(ShortCutEditingTest, QuestionNamesTheOwnerInTheDialogsWords) {
  const TShortCutTable table = MainTable();
  EXPECT_EQ(ReplaceShortCutQuestion(table, kGrepStart, "F3"),
            Utf8ToCp932("ショートカット F3 は［検索：検索開始］で使用されています。\r\n\r\n設定を置き換えますか？"));
}

TEST(ShortCutEditingTest, AddAsksTheOwnerAndMovesTheText) {
  struct TCase {
    const char* name;
    const char* before;  // the selected command's list before
    TShortCutPlace place;
    std::string text;
    bool answer;
    std::optional<std::string> asked;  // the owner in the question, when asked
    bool changed;
    const char* grepStart;  // the lists afterwards
    const char* placeAfter;
  };
  const std::vector<TCase> cases = {
      {"taken from another command", "Esc", kGrepCancel, "F3", true, "［検索：検索開始］", true, "", "Esc,F3"},
      {"answered No", "Esc", kGrepCancel, "F3", false, "［検索：検索開始］", false, "F3", "Esc"},
      {"nobody has it", "", kFileExit, "Ctrl+G", true, std::nullopt, true, "F3", "Ctrl+G"},
      {"own text moves to the end", "Tab,F10", kToolEnv, "Tab", true, "［ツール：環境設定］", true, "F3", "F10,Tab"},
      {"own text, answered No", "Tab,F10", kToolEnv, "Tab", false, "［ツール：環境設定］", false, "F3", "Tab,F10"},
      {"first of two occurrences", "F3,Esc,F3", kGrepStart, "f3", true, "［検索：検索開始］", true,
       "Esc,F3,f3", "Esc,F3,f3"},
      {"empty text", "Esc", kGrepCancel, "", true, std::nullopt, false, "F3", "Esc"},
      {"no command selected", "", {1, 3}, "F3", true, std::nullopt, false, "F3", ""},
  };
  for (const TCase& c : cases) {
    TShortCutTable table = MainTable();
    ShortCuts(table, c.place) = c.before;
    std::optional<std::string> asked;
    const bool changed = AddShortCut(table, c.place, c.text, [&](const std::string& question) {
      asked = question;
      return c.answer;
    });
    EXPECT_EQ(changed, c.changed) << c.name;
    EXPECT_EQ(asked.has_value(), c.asked.has_value()) << c.name;
    if (asked && c.asked) {
      EXPECT_NE(asked->find(Utf8ToCp932(*c.asked)), std::string::npos) << c.name;
    }
    EXPECT_EQ(ShortCuts(table, kGrepStart), c.grepStart) << c.name;
    EXPECT_EQ(ShortCuts(table, c.place), c.placeAfter) << c.name;
  }
}

TEST(ShortCutEditingTest, RowsAndButtons) {
  struct TCase {
    std::vector<int> selected;
    Texts afterDelete;
    std::optional<int> up, down;  // the moved row's new number
    TShortCutButtons buttons;     // with a new shortcut in the field
  };
  const Texts texts = {"F3", "Ctrl+G", "Tab"};
  const std::vector<TCase> cases = {
      {{}, texts, std::nullopt, std::nullopt, {.Add = true, .Clear = true}},
      {{0}, {"Ctrl+G", "Tab"}, std::nullopt, 1, {.Add = true, .Delete = true, .Clear = true, .Down = true}},
      {{1}, {"F3", "Tab"}, 0, 2, {true, true, true, true, true}},
      {{2}, {"F3", "Ctrl+G"}, 1, std::nullopt, {.Add = true, .Delete = true, .Clear = true, .Up = true}},
      {{0, 2}, {"Ctrl+G"}, std::nullopt, std::nullopt, {.Add = true, .Delete = true, .Clear = true}},
      {{2, 1, 0}, {}, std::nullopt, std::nullopt, {.Add = true, .Delete = true, .Clear = true}},
  };
  for (const TCase& c : cases) {
    const std::string name = ::testing::PrintToString(c.selected);
    Texts deleted = texts;
    DeleteRows(deleted, c.selected);
    EXPECT_EQ(deleted, c.afterDelete) << name;

    for (const auto& [step, expected] : {std::pair{-1, c.up}, std::pair{+1, c.down}}) {
      Texts moved = texts;
      const std::optional<int> row = MoveRow(moved, c.selected, step);
      EXPECT_EQ(row, expected) << name << " step " << step;
      if (row) {
        EXPECT_EQ(moved[static_cast<size_t>(*row)], texts[static_cast<size_t>(c.selected.front())]) << name;
        EXPECT_EQ(moved[static_cast<size_t>(c.selected.front())], texts[static_cast<size_t>(*row)]) << name;
      } else {
        EXPECT_EQ(moved, texts) << name;
      }
    }

    EXPECT_EQ(ShortCutButtons(true, static_cast<int>(texts.size()), c.selected), c.buttons) << name;
    TShortCutButtons withoutNew = c.buttons;
    withoutNew.Add = false;
    EXPECT_EQ(ShortCutButtons(false, static_cast<int>(texts.size()), c.selected), withoutNew) << name;
  }
  EXPECT_EQ(ShortCutButtons(false, 0, {}), TShortCutButtons{});
}

// Counts beyond what the table holds read as what fits, never past its end.
TEST(ShortCutEditingTest, DamagedCountsStayInsideTheTable) {
  TShortCutTable table = MainTable();
  table.CategoryCount = 1000;
  table.Categories[4].Count = -7;
  table.Categories[10].Count = 1000;
  table.Categories[10].Commands[50].ShortCuts = "Ctrl+Q";
  EXPECT_EQ(UsedCategoryCount(table), TShortCutTable::kCapacity);
  EXPECT_EQ(UsedCommandCount(table, 4), 0);
  EXPECT_EQ(UsedCommandCount(table, 10), TShortCutCategory::kCapacity);
  EXPECT_EQ(UsedCommandCount(table, 11), 0);
  EXPECT_EQ(UsedCommandCount(table, -1), 0);
  EXPECT_EQ(FindShortCut(table, "ctrl+q"), (TShortCutPlace{10, 50}));
  EXPECT_TRUE(ShortCutTexts(table, {4, 0}).empty());

  // Nothing is written where the table doesn't hold a command.
  const TShortCutTable before = table;
  SetShortCutTexts(table, {4, 0}, {"F1"});
  SetShortCutTexts(table, {11, 0}, {"F1"});
  EXPECT_EQ(table.Categories[4].Commands[0].ShortCuts, before.Categories[4].Commands[0].ShortCuts);
  EXPECT_FALSE(AddShortCut(table, {2, 51}, "F1", [](const std::string&) { return true; }));
}

}  // namespace
}  // namespace tansa2
