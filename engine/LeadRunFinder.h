#pragma once
// Finds where a lead byte recurs at every other place, as it does in a run
// of double-byte characters that all begin with it (katakana in Shift-JIS
// all begin with 0x83), for patterns that require such a run and no word.
#include <cstddef>
#include <string_view>

namespace tansa2 {

class TLeadRunFinder {
 public:
  // `count` places, the lead byte at each second one; at least two.
  TLeadRunFinder(unsigned char lead, int count);

  // The first place at or after `from` where the run begins, or npos.
  size_t Find(std::string_view text, size_t from) const;

 private:
  unsigned char lead_;
  size_t count_;
};

}  // namespace tansa2
