#pragma once
// Scans over whole buffers, sixteen or thirty-two bytes at a time, for what
// the line matcher and the code checks look at most: line breaks. Offsets
// are byte offsets; UTF-16 scans step over units at even offsets from the
// start of the view.
#include <cstddef>
#include <string_view>

namespace tansa2 {

// First CR or LF at or after `from`, or the size.
size_t FindCrOrLf(std::string_view text, size_t from);
// Line breaks in [from, to): each LF, and each CR that no LF follows.
size_t CountCrOrLfBreaks(std::string_view text, size_t from, size_t to);
// Number of LF bytes in [from, to).
size_t CountLf(std::string_view text, size_t from, size_t to);

// The same for UTF-16 text: units CR and LF, CR LF counting once.
size_t FindUtf16Break(std::string_view text, size_t from, bool bigEndian);
size_t CountUtf16Breaks(std::string_view text, size_t from, size_t to, bool bigEndian);

}  // namespace tansa2
