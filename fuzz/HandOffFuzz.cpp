// The hand-off of a second start's command line: any copy data is read
// without harm, and parameters handed off arrive unchanged.
#include "fuzz/FuzzInput.h"
#include "session/HandOff.h"

using namespace tansa2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  ReadHandOff(input);

  std::vector<std::string> parameters = fuzz::SplitItems(input, '\n');
  std::erase(parameters, std::string());
  if (parameters.empty() || parameters.size() > 3) return 0;
  const auto fields = ReadHandOff(HandOffData(parameters));
  fuzz::Check(fields.has_value());
  if (parameters.size() >= 2 && parameters[1] != kBlankSearchString) {
    fuzz::Check(fields->GrepStr == parameters[1]);
  }
  return 0;
}
