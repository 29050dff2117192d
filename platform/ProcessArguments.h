#pragma once
// A started program's parameter text split into its arguments the way
// Windows programs read their command line, which is what the quoting of
// editor templates is written for: blanks (space, tab) separate arguments, a
// double-quoted stretch keeps its blanks, and two double quotes inside such a
// stretch stand for one. Backslashes are ordinary characters, so a path that
// ends in one survives its quotes.
#include <string>
#include <string_view>
#include <vector>

namespace tansa2::platform {

// Works on any text whose blanks and double quotes are single bytes that
// never occur inside a multi-byte character (CP932 and UTF-8 both qualify).
std::vector<std::string> SplitArguments(std::string_view parameters);

}  // namespace tansa2::platform
