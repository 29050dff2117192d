#include "session/HandOff.h"

#include <filesystem>

#include "platform/NameForm.h"
#include "results/CommaText.h"
#include "session/GrepRun.h"

namespace tansa2 {

namespace {

// "." and ".." resolved by the path's text, as a shell's "cd" does. An
// absolute or blank directory stays as it was given (a hand-off trims it),
// and so does any when there is no working folder to start from.
std::string AbsoluteDirectory(const std::string& dir) {
  const std::filesystem::path path(TrimBlanks(dir));
  if (path.empty() || path.is_absolute()) return dir;
  std::error_code error;
  const std::filesystem::path working = std::filesystem::current_path(error);
  if (error) return dir;
  std::string absolute = (working / path).lexically_normal().string();
  if (absolute.size() > 1 && absolute.ends_with('/')) absolute.pop_back();
  return absolute;
}

}  // namespace

std::vector<std::string> ReadParameters(int argc, const char* const* argv) {
  std::vector<std::string> parameters;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '\0') continue;
    parameters.push_back(platform::Cp932FormOfName(parameters.empty() ? AbsoluteDirectory(argv[i]) : argv[i]));
  }
  return parameters;
}

std::string HandOffData(const std::vector<std::string>& parameters) {
  std::string data = ToCommaText(parameters);
  data += '\0';
  return data;
}

std::optional<THandOffFields> ReadHandOff(std::string_view data) {
  const std::vector<std::string> items = FromCommaText(data.substr(0, data.find('\0')));
  if (items.empty() || items.size() > 3) return std::nullopt;
  const auto item = [&](size_t index) { return index < items.size() ? items[index] : std::string(); };
  return THandOffFields{TrimBlanks(item(0)), item(1), TrimBlanks(item(2))};
}

}  // namespace tansa2
