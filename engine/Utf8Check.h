#pragma once
// Whether a text without a byte-order mark is UTF-8: every byte of it must
// belong to a well-formed character, so one Shift-JIS or EUC-JP pair that
// happens to look like UTF-8 at the start doesn't decide a whole file.
#include <string_view>

namespace tansa2 {

// True when the text is well-formed UTF-8 (no overlong form, no surrogate,
// nothing above U+10FFFF) and holds at least one whole character beyond
// ASCII. A last character cut off by the end of the text passes when its
// bytes so far are well-formed (a file cut short is still UTF-8); it
// doesn't count as that character.
bool IsWellFormedUtf8(std::string_view text);

}  // namespace tansa2
