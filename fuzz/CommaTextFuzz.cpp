// Comma text both ways and the result table read from a file: items
// written are read back unchanged, and a table loaded and saved is
// loaded again to the same text.
#include "fuzz/FuzzInput.h"
#include "results/CSVList.h"
#include "results/CommaText.h"

using namespace tansa2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  FromCommaText(input);

  const std::vector<std::string> items = fuzz::SplitItems(input, '\n');
  if (items != std::vector<std::string>{""}) fuzz::Check(FromCommaText(ToCommaText(items)) == items);

  TCSVList list;
  list.LoadFromFile(fuzz::ScratchFile(input));
  const std::string text = list.Text();
  TCSVList again;
  again.LoadFromFile(fuzz::ScratchFile(text));
  fuzz::Check(again.Text() == text);
  return 0;
}
