// Prints the character code that a search decides for each file, so that the
// decision can be compared with other tools (bench/nkf_agreement.py).
//   detect_codes < PATHS   (paths each ended by a 0x00 byte, as find -print0
//                           writes them; prints "CODE<TAB>PATH" per file)
// CODE is ascii, binary, jis, euc, sjis, sjis-or-euc (undecided, read as
// Shift-JIS by a search), utf16le, utf16be, utf8bom or utf8; unreadable for
// a file that can't be read.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "engine/KyConvert.h"

namespace {

const char* CodeName(int code) {
  switch (code) {
    case tansa2::kcAscii: return "ascii";
    case tansa2::kcBinary: return "binary";
    case tansa2::kcJis: return "jis";
    case tansa2::kcEuc: return "euc";
    case tansa2::kcSjis: return "sjis";
    case tansa2::kcEucOrSjis: return "sjis-or-euc";
    case tansa2::kcUtf16LE: return "utf16le";
    case tansa2::kcUtf16BE: return "utf16be";
    case tansa2::kcUtf8Bom: return "utf8bom";
    case tansa2::kcUtf8: return "utf8";
    default: return "unknown";
  }
}

}  // namespace

int main() {
  std::string path;
  while (std::getline(std::cin, path, '\0')) {
    // The native path as it is: the bytes of a name need no CP932 form here.
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
      std::printf("unreadable\t%s\n", path.c_str());
      continue;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The undecided answer is asked for, not taken from a default.
    std::printf("%s\t%s\n", CodeName(tansa2::DecideCode(text, tansa2::kcEucOrSjis)), path.c_str());
  }
  return 0;
}
