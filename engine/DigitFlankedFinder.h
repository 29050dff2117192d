#pragma once
// Finds an ASCII literal only where an ASCII digit stands right before
// and/or right after it, as every match of a pattern like \d{3}-\d{4} has
// it: a literal as common as '-' then leaves few candidate lines. For texts
// whose ASCII bytes are themselves and never part of another character
// (Shift-JIS, UTF-8, EUC-JP), where a digit or the literal can't be the
// second byte of a double-byte character.
#include <cstddef>
#include <string_view>

#include "engine/LiteralFinder.h"

namespace tansa2 {

class TDigitFlankedFinder {
 public:
  TDigitFlankedFinder(const TLiteralFinder& literal, size_t length, bool digitBefore, bool digitAfter)
      : literal_(literal), length_(length), before_(digitBefore), after_(digitAfter) {}

  // Position of the first such place at or after `from`, or npos; now and
  // then a place of the literal alone, when the first lies far ahead.
  size_t Find(std::string_view text, size_t from) const;

 private:
  const TLiteralFinder& literal_;
  size_t length_;
  bool before_;
  bool after_;
};

}  // namespace tansa2
