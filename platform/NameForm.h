#pragma once
// Names are not text. A file name on Linux is any string of bytes: mostly
// UTF-8, often with characters CP932 lacks (é, emoji, hangul), sometimes not
// UTF-8 at all (Shift-JIS or EUC-JP names from old archives). The program
// names files by CP932 paths, so every native name has exactly one CP932
// form, computed without any remembered state: a history entry written last
// week still opens the same file.
//
// A character that CP932 holds, and converts back from, keeps its plain
// CP932 bytes, so settings and history files of such names read as before.
// Anything else is escaped with CP932's user-defined characters (lead bytes
// 0xF0-0xF9), which no plain name uses:
//   - a byte that is not part of well-formed UTF-8: 0xF0 and a trail byte
//     standing for the byte 0x80-0xFF;
//   - any other character (one CP932 lacks, or a user-defined one itself):
//     two characters of leads 0xF1-0xF9 holding its code point in base 1692.
// So two different names never share a form, and the form converts back to
// the very bytes of the name.
#include <string>
#include <string_view>

namespace tansa2::platform {

// The CP932 form of a native name or path ("/" stays "/").
std::string Cp932FormOfName(std::string_view nativeName);

// The file-system bytes of a CP932 path: the inverse of Cp932FormOfName. A
// CP932 text that no listing made (typed or stored by hand) converts as text
// does, with "?" for a byte that stands for nothing.
std::string NativePath(std::string_view cp932Path);

}  // namespace tansa2::platform
