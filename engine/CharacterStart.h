#pragma once
// Where Shift-JIS characters begin in a line as the regular-expression
// library reads it from the line's start.
#include <cstddef>
#include <string_view>

namespace tansa2 {

// Whether a character begins at byte `at`: a byte that can't be a trail
// byte always begins one (after a lead byte whose pair is broken, too); any
// other begins one when the lead bytes right before it pair up.
bool StartsCharacter(std::string_view line, size_t at);

}  // namespace tansa2
