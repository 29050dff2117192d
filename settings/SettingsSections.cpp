#include "settings/SettingsSections.h"

namespace tansa2 {
namespace {

// Each section's keys are listed once, in the order they are written; the
// same list reads them, each key defaulting to the value it replaces.
class TKeyReader {
 public:
  TKeyReader(const TIniFileEx& ini, std::string_view section) : ini_(ini), section_(section) {}
  void String(std::string_view key, std::string& value) { value = ini_.ReadString(section_, key, value); }
  void Integer(std::string_view key, int32_t& value) { value = ini_.ReadInteger(section_, key, value); }
  void Bool(std::string_view key, bool& value) { value = ini_.ReadBool(section_, key, value); }
  void Color(std::string_view key, uint32_t& value) { value = ini_.ReadColor(section_, key, value); }
  void Font(TFontInfo& font) { font = ini_.ReadFont(section_, "", font); }

 private:
  const TIniFileEx& ini_;
  std::string_view section_;
};

class TKeyWriter {
 public:
  TKeyWriter(TIniFileEx& ini, std::string_view section) : ini_(ini), section_(section) {}
  void String(std::string_view key, const std::string& value) { ini_.WriteString(section_, key, value); }
  void Integer(std::string_view key, int32_t value) { ini_.WriteInteger(section_, key, value); }
  void Bool(std::string_view key, bool value) { ini_.WriteBool(section_, key, value); }
  void Color(std::string_view key, uint32_t value) { ini_.WriteColor(section_, key, value); }
  void Font(const TFontInfo& font) { ini_.WriteFont(section_, "", font); }

 private:
  TIniFileEx& ini_;
  std::string_view section_;
};

// `Info` is the group, const for writing.
template <class TKeys, class Info>
void BasicInfoKeys(TKeys&& keys, Info& info) {
  keys.Integer("ShowInProgress", info.ShowInProgress);
  keys.Bool("ShowToolBar", info.ShowToolBar);
  keys.Bool("ShowDirPanel", info.ShowDirPanel);
}

template <class TKeys, class Info, class Width>
void DirPanelKeys(TKeys&& keys, Info& info, Width& width) {
  keys.Font(info.Font);
  keys.String("InitialDir", info.InitialDir);
  keys.Integer("Width", width);
}

template <class TKeys, class Info, class Options>
void GrepKeys(TKeys&& keys, Info& info, Options& options) {
  keys.String("String", info.String);
  keys.String("Directory", info.Directory);
  keys.String("FileMask", info.FileMask);
  keys.String("DirectoryMask", info.DirectoryMask);
  keys.Bool("MatchCase", options.MatchCase);
  keys.Bool("NoRegExp", options.NoRegExp);
  keys.Bool("AutoCode", options.AutoCode);
  keys.Bool("SubDirectory", options.SubDirectory);
  keys.Bool("AutoComplete", info.AutoComplete);
  keys.Integer("MaxHistory", info.MaxHistory);
  keys.Bool("LastString", info.LastString);
  keys.Bool("LastDirectory", info.LastDirectory);
  keys.Bool("LastFileMask", info.LastFileMask);
  keys.Bool("LastDirectoryMask", info.LastDirectoryMask);
  keys.String("NoFileExt", info.NoFileExt);
  keys.Integer("MaxFileSize", info.MaxFileSize);
}

template <class TKeys, class Info>
void GrepHistoryKeys(TKeys&& keys, Info& info) {
  keys.Bool("Used", info.Used);
  keys.Integer("First", info.First);
  keys.Integer("Last", info.Last);
}

template <class TKeys, class Section>
void GrepResultKeys(TKeys&& keys, Section& section) {
  auto& info = section.Info;
  keys.Font(info.Font);
  keys.Color("Color", info.Color);
  keys.Color("BorderColor", section.BorderColor);
  keys.Color("FixedColor", section.FixedColor);
  keys.Color("SelColor", info.SelColor);
  keys.Color("SelBkColor", info.SelBkColor);
  keys.Color("MatchColor", info.MatchColor);
  keys.Color("MatchBkColor", info.MatchBkColor);
  keys.Bool("ShowFileNameOnly", info.ShowFileNameOnly);
  keys.Bool("ShowGridLine", info.ShowGridLine);
  keys.Bool("DoubleBuffered", info.DoubleBuffered);
  keys.Integer("WheelScrollLine", info.WheelScrollLine);
  keys.Bool("RightClickSelect", info.RightClickSelect);
  keys.Bool("HorizontalScroll", info.HorizontalScroll);
  keys.Integer("SaveType", info.SaveType);
  for (size_t col = 0; col < section.TitleWidths.size(); ++col)
    keys.Integer("TitleWidths" + std::to_string(col), section.TitleWidths[col]);
  for (size_t col = 0; col < section.TitleCaptions.size(); ++col)
    keys.String("TitleCaptions" + std::to_string(col), section.TitleCaptions[col]);
}

template <class TKeys, class Info>
void EditorKeys(TKeys&& keys, Info& info) {
  keys.String("ExeName", info.ExeName);
  keys.String("CmdLine", info.CmdLine);
  keys.String("HistExeName", info.HistExeName);
  keys.String("HistCmdLine", info.HistCmdLine);
}

constexpr std::string_view kBasicInfo = "BasicInfo";
constexpr std::string_view kDirPanel = "DirPanel";
constexpr std::string_view kGrep = "Grep";
constexpr std::string_view kGrepHistory = "GrepHistory";
constexpr std::string_view kGrepResult = "GrepResult";
constexpr std::string_view kEditor = "Editor";

}  // namespace

TBasicInfo ReadBasicInfo(const TIniFileEx& ini, const TBasicInfo& current) {
  TBasicInfo info = current;
  BasicInfoKeys(TKeyReader(ini, kBasicInfo), info);
  return info;
}

void WriteBasicInfo(TIniFileEx& ini, const TBasicInfo& info) { BasicInfoKeys(TKeyWriter(ini, kBasicInfo), info); }

TDirPanelInfo ReadDirPanel(const TIniFileEx& ini, const TDirPanelInfo& current, int32_t& width) {
  TDirPanelInfo info = current;
  DirPanelKeys(TKeyReader(ini, kDirPanel), info, width);
  return info;
}

void WriteDirPanel(TIniFileEx& ini, const TDirPanelInfo& info, int32_t width) {
  DirPanelKeys(TKeyWriter(ini, kDirPanel), info, width);
}

TGrepInfo ReadGrep(const TIniFileEx& ini, const TGrepInfo& current, TGrepOptions& options) {
  TGrepInfo info = current;
  GrepKeys(TKeyReader(ini, kGrep), info, options);
  return info;
}

void WriteGrep(TIniFileEx& ini, const TGrepInfo& info, const TGrepOptions& options) {
  GrepKeys(TKeyWriter(ini, kGrep), info, options);
}

TGrepHistoryInfo ReadGrepHistory(const TIniFileEx& ini) {
  TGrepHistoryInfo info;
  GrepHistoryKeys(TKeyReader(ini, kGrepHistory), info);
  info.Current = info.Last > 0 ? info.Last + 1 : 0;
  return info;
}

void WriteGrepHistory(TIniFileEx& ini, const TGrepHistoryInfo& info) {
  GrepHistoryKeys(TKeyWriter(ini, kGrepHistory), info);
}

TGrepResultSection ReadGrepResult(const TIniFileEx& ini, const TGrepResultSection& current) {
  TGrepResultSection section = current;
  GrepResultKeys(TKeyReader(ini, kGrepResult), section);
  return section;
}

void WriteGrepResult(TIniFileEx& ini, const TGrepResultSection& section) {
  GrepResultKeys(TKeyWriter(ini, kGrepResult), section);
}

TEditorInfo ReadEditor(const TIniFileEx& ini, const TEditorInfo& current) {
  TEditorInfo info = current;
  EditorKeys(TKeyReader(ini, kEditor), info);
  return info;
}

void WriteEditor(TIniFileEx& ini, const TEditorInfo& info) { EditorKeys(TKeyWriter(ini, kEditor), info); }

}  // namespace tansa2
