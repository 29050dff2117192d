#pragma once
// What the preferences dialog checks before it hands its values back: the
// editor program, its start parameters and the start directory. Paths are
// CP932.
#include <cstdint>
#include <string>

namespace tansa2 {

enum class TToolEnvField { None, ExeName, CmdLine, InitialDir };

struct TToolEnvTexts {
  std::string ExeName;
  std::string CmdLine;
  std::string InitialDir;
};

// Trims each text of blanks just before its own check and stops at the
// first one that fails, leaving the texts after it as they were: a program
// that is no existing file, a program without start parameters, a start
// directory that is no existing directory. Empty texts pass.
TToolEnvField CheckToolEnv(TToolEnvTexts& texts);

// The progress display flags and their two check boxes: 1 the hit count,
// 2 the file being searched.
bool ShowsProgressCount(int32_t showInProgress);
bool ShowsProgressFile(int32_t showInProgress);
int32_t ShowInProgressFlags(bool count, bool file);

}  // namespace tansa2
