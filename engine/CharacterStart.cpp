#include "engine/CharacterStart.h"

#include "platform/CodePage.h"

namespace tansa2 {
namespace {

constexpr bool MayBeTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

}  // namespace

bool StartsCharacter(std::string_view line, size_t at) {
  if (!MayBeTrail(static_cast<unsigned char>(line[at]))) return true;
  size_t leads = 0;
  while (leads < at && platform::IsDBCSLeadByte(static_cast<unsigned char>(line[at - 1 - leads]))) ++leads;
  return leads % 2 == 0;
}

}  // namespace tansa2
