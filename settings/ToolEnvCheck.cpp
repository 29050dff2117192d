#include "settings/ToolEnvCheck.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/FileIO.h"
#include "platform/NameForm.h"

namespace tansa2 {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

void TrimInPlace(std::string& text) {
  const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
  text.erase(last, text.end());
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), IsBlank));
}

// A program is a file; a folder of that name is no program.
bool FileExists(const std::string& cp932Path) {
  std::error_code error;
  return std::filesystem::is_regular_file(platform::NativePath(cp932Path), error);
}

}  // namespace

TToolEnvField CheckToolEnv(TToolEnvTexts& texts) {
  TrimInPlace(texts.ExeName);
  if (!texts.ExeName.empty() && !FileExists(texts.ExeName)) return TToolEnvField::ExeName;
  TrimInPlace(texts.CmdLine);
  if (!texts.ExeName.empty() && texts.CmdLine.empty()) return TToolEnvField::CmdLine;
  TrimInPlace(texts.InitialDir);
  if (!texts.InitialDir.empty() && !platform::DirectoryExists(texts.InitialDir)) return TToolEnvField::InitialDir;
  return TToolEnvField::None;
}

bool ShowsProgressCount(int32_t showInProgress) { return showInProgress == 1 || showInProgress == 3; }
bool ShowsProgressFile(int32_t showInProgress) { return showInProgress == 2 || showInProgress == 3; }
int32_t ShowInProgressFlags(bool count, bool file) { return (count ? 1 : 0) + (file ? 2 : 0); }

}  // namespace tansa2
