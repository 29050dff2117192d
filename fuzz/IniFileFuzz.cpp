// The settings reader on damaged files: reading what it writes gives the
// same text back, and a value written is read back as written.
#include "fuzz/FuzzInput.h"
#include "settings/IniFileEx.h"

using namespace tansa2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  TIniFileEx ini(fuzz::ScratchFile(input));
  const std::string text = ini.Text();
  fuzz::Check(TIniFileEx(fuzz::ScratchFile(text)).Text() == text);

  // A value without a line break or NUL, under names from the input.
  const std::vector<std::string> parts = fuzz::SplitItems(input, '\n');
  if (parts.size() < 3 || parts[0].empty() || parts[1].empty()) return 0;
  if (parts[0].find_first_of("[]\r") != std::string::npos) return 0;
  if (parts[1].find_first_of("=\r;[") != std::string::npos) return 0;
  if (parts[2].find('\r') != std::string::npos) return 0;
  ini.ReadInteger(parts[0], parts[1], 0);
  ini.ReadColor(parts[0], parts[1], 0);
  ini.ReadForm(parts[0], TFormPlacement{});
  ini.WriteString(parts[0], parts[1], parts[2]);
  fuzz::Check(ini.ReadString(parts[0], parts[1], "\x01") == parts[2]);
  return 0;
}
