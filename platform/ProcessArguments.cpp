#include "platform/ProcessArguments.h"

namespace tansa2::platform {

std::vector<std::string> SplitArguments(std::string_view parameters) {
  std::vector<std::string> arguments;
  std::string current;
  bool started = false;  // "" is an argument of its own, though empty
  bool quoted = false;
  for (size_t i = 0; i < parameters.size(); ++i) {
    const char c = parameters[i];
    if (c == '"') {
      started = true;
      if (quoted && i + 1 < parameters.size() && parameters[i + 1] == '"') {
        current += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (started) arguments.push_back(std::move(current));
      current.clear();
      started = false;
    } else {
      current += c;
      started = true;
    }
  }
  if (started) arguments.push_back(std::move(current));
  return arguments;
}

}  // namespace tansa2::platform
