#pragma once
// The item list of a history field: newest entry first, no two equal
// entries, at most a given number of them; and the lookup that completes
// typed text with the newest entry it begins.
#include <string>
#include <string_view>
#include <vector>

namespace tansa2 {

// Puts `text` at the top of `items` and drops its older copies and the
// entries beyond `maxHistory`. A text holding CR LF or a tab, or made of
// blanks only, is not taken; returns whether it was.
bool AddHistory(std::vector<std::string>& items, const std::string& text, int maxHistory);

// Drops entries from the end until at most `maxHistory` remain.
void LimitHistory(std::vector<std::string>& items, int maxHistory);

// The index of the newest entry whose beginning equals `typed` with ASCII
// letters compared without case; -1 when none does or `typed` is shorter
// than `minLength` bytes.
int FindCompletion(const std::vector<std::string>& items, std::string_view typed, int minLength);

}  // namespace tansa2
