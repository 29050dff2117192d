#pragma once
// The command line of a start and the hand-off of a second start's command
// line to the running instance: directory, search string, file mask.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tansa2 {

// The identifier of the hand-off copy data; copy data with any other
// identifier changes nothing.
constexpr uint32_t kHandOffIdentifier = 100;

// In a hand-off this search string stands for an empty one, which the
// command line can't give by position.
constexpr std::string_view kBlankSearchString = "$$BLANK$$";

// The parameters after the program name, in the CP932 form of names
// (platform/NameForm.h). The shell has already split blanks and removed
// quotes; an empty parameter is left out and doesn't count. Directory and
// file mask are names; the search string takes the same reversible form, so
// that a character CP932 lacks reaches the field as typed, where the search
// refuses it, instead of turning into "?". A relative directory is taken
// from this process's working folder: a running instance that gets it in a
// hand-off works elsewhere.
std::vector<std::string> ReadParameters(int argc, const char* const* argv);

// The copy data that hands `parameters` over: comma text of all of them,
// each quoted where it needs it with its quotes doubled (a parameter can
// hold a double quote or a comma), followed by one NUL byte.
std::string HandOffData(const std::vector<std::string>& parameters);

// The field texts a hand-off writes: directory and file mask trimmed, the
// search string unchanged.
struct THandOffFields {
  std::string GrepDir;
  std::string GrepStr;
  std::string FileMask;
};

// Reads copy data up to its first NUL. One, two or three items set all
// three fields (those not given become empty); any other number sets none.
std::optional<THandOffFields> ReadHandOff(std::string_view data);

}  // namespace tansa2
