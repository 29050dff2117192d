#pragma once
// Detects the character code of a text of unknown Japanese encoding and
// converts it to Shift-JIS lines; also the conversions between JIS, EUC-JP
// and Shift-JIS in every direction.
#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace tansa2 {

enum TKanjiCode : int {
  kcAscii = 0,
  kcBinary = 1,
  kcJis = 2,
  kcEuc = 3,
  kcSjis = 4,
  kcEucOrSjis = 5,
  kcUtf16LE = 10,
  kcUtf16BE = 11,
  kcUtf8Bom = 12,
  kcUtf8 = 13,
  kcAuto = 99,
};

using TStrings = std::vector<std::string>;

// Asked when a text could be EUC-JP or Shift-JIS and no default is given:
// true reads it as Shift-JIS, false as EUC-JP. Without one, Shift-JIS.
using TAskSjisOrEuc = std::function<bool()>;

// Decides the code when `Code` is kcAuto and converts `text` to Shift-JIS;
// on return `Code` holds the code applied. The result ends before the first
// 0x00 byte.
std::string ConvertToSjis(std::string_view text, int& Code, int DefaultCode,
                          const TAskSjisOrEuc& askSjis = {});
// The same without copying text that needs no conversion: the result views
// `text` or `converted`.
std::string_view DecodeToSjis(std::string_view text, int& Code, int DefaultCode, std::string& converted,
                              const TAskSjisOrEuc& askSjis = {});
// Lines end at CR, LF or CR LF; a break at the very end adds no line.
void SplitTextLines(std::string_view text, TStrings& Lines);

// Throws platform::EFOpenError when the file can't be opened.
void LoadTextFile(TStrings& Lines, const std::string& FileName, int& Code, int DefaultCode,
                  const TAskSjisOrEuc& askSjis = {});
void LoadTextStream(TStrings& Lines, std::istream& Stream, int& Code, int DefaultCode,
                    const TAskSjisOrEuc& askSjis = {});

// The code `ConvertToSjis` applies to `text` when asked to detect it.
int DecideCode(std::string_view text, int DefaultCode, const TAskSjisOrEuc& askSjis = {});
int DetectCode(std::string_view text);  // kcAscii .. kcEucOrSjis
// A byte-order mark, or IsWellFormedUtf8 (engine/Utf8Check.h) of the text.
bool IsUtf8(std::string_view text, bool& HasBom);
std::string ConvertCode(std::string_view text, int FromCode, int ToCode);

// True when every character of the text is well formed, so each converts to
// exactly one Shift-JIS character and back: EUC-JP pairs and half-width
// katakana in their ranges; JIS with pairs 0x21-0x7E in kanji mode, no byte
// of 0x80 or more, and every escape sequence switching the mode between two
// runs that aren't empty. A text found in the conversion of such a text
// was then in the text itself, in its own code.
bool IsCleanEuc(std::string_view text);
bool IsCleanJis(std::string_view text);

std::string JisToSjis(std::string_view text);
std::string EucToSjis(std::string_view text);
// The same into the front of `room`, which grows as needed and never
// shrinks, so that it can be kept from text to text; they return the number
// of bytes written.
size_t JisToSjis(std::string_view text, std::string& room);
size_t EucToSjis(std::string_view text, std::string& room);
std::string SjisToJis(std::string_view text);
std::string EucToJis(std::string_view text);
std::string JisToEuc(std::string_view text);
std::string SjisToEuc(std::string_view text);

}  // namespace tansa2
