// Shortcut texts from a damaged settings file: a shortcut read is written
// as a text that reads back as the same shortcut.
#include "fuzz/FuzzInput.h"
#include "settings/ShortCutText.h"

using namespace tansa2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const platform::TShortCut code = ParseShortCut(fuzz::AsText(data, size));
  const std::string text = FormatShortCut(code);
  if (!text.empty()) fuzz::Check(ParseShortCut(text) == code);
  return 0;
}
