#pragma once
// The sections of the settings file that hold the main window's settings
// groups. Each reader takes the values held now as the defaults of absent
// or unreadable keys.
#include <array>
#include <string>
#include <vector>

#include "settings/IniFileEx.h"
#include "settings/SettingsGroups.h"

namespace tansa2 {

// The search options' check boxes, which section "Grep" stores beside
// the group.
struct TGrepOptions {
  bool MatchCase = false;
  bool NoRegExp = false;
  // Files on a UTF-8 desktop need detecting before Japanese is found in
  // them: that is the choice until the settings file stores another.
  bool AutoCode = true;
  bool SubDirectory = false;
};

TBasicInfo ReadBasicInfo(const TIniFileEx& ini, const TBasicInfo& current);
void WriteBasicInfo(TIniFileEx& ini, const TBasicInfo& info);

// `width`: the directory panel's width, read and written with the group.
TDirPanelInfo ReadDirPanel(const TIniFileEx& ini, const TDirPanelInfo& current, int32_t& width);
void WriteDirPanel(TIniFileEx& ini, const TDirPanelInfo& info, int32_t width);

TGrepInfo ReadGrep(const TIniFileEx& ini, const TGrepInfo& current, TGrepOptions& options);
void WriteGrep(TIniFileEx& ini, const TGrepInfo& info, const TGrepOptions& options);

// Current becomes Last + 1 when there is an entry, else 0.
TGrepHistoryInfo ReadGrepHistory(const TIniFileEx& ini);
void WriteGrepHistory(TIniFileEx& ini, const TGrepHistoryInfo& info);

// Section "GrepResult": the result list's look and options as the
// preferences edit them, and what they leave alone: the frame and header
// colours, the columns' widths and titles.
struct TGrepResultSection {
  TGrepResultInfo Info;
  uint32_t BorderColor = 0x80000010;  // clBtnShadow
  uint32_t FixedColor = 0x8000000F;   // clBtnFace
  std::array<int32_t, 3> TitleWidths{140, 60, 433};
  std::vector<std::string> TitleCaptions;
};

TGrepResultSection ReadGrepResult(const TIniFileEx& ini, const TGrepResultSection& current);
void WriteGrepResult(TIniFileEx& ini, const TGrepResultSection& section);

TEditorInfo ReadEditor(const TIniFileEx& ini, const TEditorInfo& current);
void WriteEditor(TIniFileEx& ini, const TEditorInfo& info);

}  // namespace tansa2
