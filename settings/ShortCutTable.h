#pragma once
// The shortcuts of every command, grouped by menu, as the preferences dialog
// shows and edits them. Names are the menus' and commands' hints; ShortCuts is
// a command's shortcut list as comma text, the primary shortcut first.
#include <array>
#include <cstdint>
#include <string>

namespace tansa2 {

struct TShortCutCommand {
  std::string Name;
  std::string ShortCuts;
};

struct TShortCutCategory {
  static constexpr int32_t kCapacity = 51;
  std::string Name;
  int32_t Count = 0;  // entries of Commands in use
  std::array<TShortCutCommand, kCapacity> Commands;
};

struct TShortCutTable {
  static constexpr int32_t kCapacity = 11;
  int32_t CategoryCount = 0;  // entries of Categories in use
  std::array<TShortCutCategory, kCapacity> Categories;
};

}  // namespace tansa2
