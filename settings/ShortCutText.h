#pragma once
// Shortcuts as the settings file and the preferences dialog write them:
// "Shift+", "Ctrl+", "Alt+" in that order, then the key's name ("F3",
// "Ctrl+Left", "Alt+Ctrl+O" reads back as "Ctrl+Alt+O"). A command's
// shortcuts are a comma text of such texts, the primary one first.
#include <string>
#include <string_view>

#include "platform/KeyNames.h"

namespace tansa2 {

// Empty for 0 and for a key without a name, modifiers included.
std::string FormatShortCut(platform::TShortCut code);
// Modifier words in any order and letter case ("^" is Ctrl), then a key
// name; 0 when the text names no key.
platform::TShortCut ParseShortCut(std::string_view text);

}  // namespace tansa2
