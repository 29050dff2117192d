#include "controls/ui/KyVerInfo.h"

#include <QtGlobal>

#include "platform/CodePage.h"

// The build gives the project's name, description and compiler.
#ifndef TANSA2_PRODUCT
#error "TANSA2_PRODUCT, TANSA2_DESCRIPTION and TANSA2_COMPILER come from the build"
#endif

namespace tansa2 {
namespace {

TKyVerInfo::TBlock ProgramBlock() {
  return {
      {"Comments", platform::Utf8ToCp932("日本語テキストの grep (Shift-JIS, EUC-JP, JIS, UTF-8, UTF-16)")},
      {"CompanyName", "The TANSA2 developers"},
      {"FileDescription", TANSA2_DESCRIPTION},
      {"FileVersion", TANSA2_VERSION},
      {"InternalName", "tansa2"},
      {"LegalCopyright", "Copyright (C) The TANSA2 developers"},
      {"OriginalFilename", "tansa2"},
      {"ProductName", TANSA2_PRODUCT},
      {"ProductVersion", TANSA2_VERSION},
      {"DevelopTool", TANSA2_COMPILER ", Qt " QT_VERSION_STR},
  };
}

bool Blank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

TKyVerInfo::TKyVerInfo() : block_(ProgramBlock()) {}

TKyVerInfo::TKyVerInfo(TBlock block) : block_(std::move(block)) {}

std::string TKyVerInfo::Value(std::string_view key) const {
  for (const auto& [name, value] : block_) {
    if (name != key) continue;
    std::string_view text(value);
    text = text.substr(0, text.find('\0'));
    // Trail bytes of double-byte characters are never 0x20 or below, so
    // the trim can't split one.
    while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
    return std::string(text);
  }
  return {};
}

}  // namespace tansa2
