#include "session/HandOff.h"

#include "platform/CodePage.h"
#include "results/CommaText.h"
#include "session/GrepRun.h"

namespace tansa2 {

std::vector<std::string> ReadParameters(int argc, const char* const* argv) {
  std::vector<std::string> parameters;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '\0') parameters.push_back(platform::Utf8ToCp932(argv[i]));
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
