#pragma once
// The parameters an editor is started with for one result row: the user's
// template with its keywords filled in. "%F" is the file name, quoted when
// it holds a blank, a tab or a double quote; "%L" the line number; "%S" the
// matched text, always quoted. Quoting encloses in double quotes and doubles
// the quotes inside, which platform::SplitArguments undoes exactly.
#include <string>
#include <string_view>

namespace tansa2 {

// The bytes of `line` from the 1-based `matchPos` for `matchLen`, cut to
// the line; empty for a position that names no byte of it.
std::string MatchedText(std::string_view line, int matchPos, int matchLen);

// Keywords are found by one pass over the template, letters without case, so
// text put in for one keyword is never taken for another: a file named
// "a%Lb.txt" reaches the editor as it is. The texts may be CP932 or UTF-8.
std::string FillEditorCommand(std::string_view cmdLine, std::string_view fileName, int lineNum,
                              std::string_view matchedText);

}  // namespace tansa2
