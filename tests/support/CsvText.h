#pragma once
// The rows as one comma-separated text, as a save writes them: what the
// tests compare saved files and history entries with.
#include <string>
#include <string_view>

#include "results/GrepResultRows.h"

namespace tansa2::testing {

inline std::string CsvText(const TGrepResultRows& rows) {
  std::string text;
  rows.ForEachCsvLine([&text](std::string_view line) { text += line; });
  return text;
}

}  // namespace tansa2::testing
