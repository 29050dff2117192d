#include <string>

#include "results/ui/KyGrepResult.h"
#include "settings/IniFileEx.h"
#include "settings/ui/FontInfo.h"

namespace tansa2 {
namespace {

std::string_view SectionName(std::string_view section) { return section.empty() ? "GrepResult" : section; }

std::string ColumnKey(const char* key, int col) { return key + std::to_string(col); }

}  // namespace

void TKyGrepResult::LoadFromIni(const TIniFileEx& ini, std::string_view section) {
  section = SectionName(section);
  ApplyFontInfo(*this, ini.ReadFont(section, "", WidgetFontInfo(*this)));
  SetColor(ini.ReadColor(section, "Color", Color()));
  SetColorBorder(ini.ReadColor(section, "BorderColor", ColorBorder()));
  SetColorFixed(ini.ReadColor(section, "FixedColor", ColorFixed()));
  SetColorSel(ini.ReadColor(section, "SelColor", ColorSel()));
  SetColorSelBk(ini.ReadColor(section, "SelBkColor", ColorSelBk()));
  SetColorMatch(ini.ReadColor(section, "MatchColor", ColorMatch()));
  SetColorMatchBk(ini.ReadColor(section, "MatchBkColor", ColorMatchBk()));
  SetShowFileNameOnly(ini.ReadBool(section, "ShowFileNameOnly", ShowFileNameOnly()));
  SetShowGridLine(ini.ReadBool(section, "ShowGridLine", ShowGridLine()));
  SetDoubleBuffered(ini.ReadBool(section, "DoubleBuffered", DoubleBuffered()));
  SetWheelScrollLine(ini.ReadInteger(section, "WheelScrollLine", WheelScrollLine()));
  SetRightClickSelect(ini.ReadBool(section, "RightClickSelect", RightClickSelect()));
  SetHorizontalScroll(ini.ReadBool(section, "HorizontalScroll", HorizontalScroll()));
  SetSaveType(ini.ReadInteger(section, "SaveType", SaveType()));
  for (int col = 0; col < kColCount; ++col)
    SetTitleWidths(col, ini.ReadInteger(section, ColumnKey("TitleWidths", col), TitleWidths(col)));
  std::vector<std::string> captions = TitleCaptions();
  for (int col = 0; col < static_cast<int>(captions.size()); ++col)
    captions[col] = ini.ReadString(section, ColumnKey("TitleCaptions", col), captions[col]);
  SetTitleCaptions(std::move(captions));
}

void TKyGrepResult::SaveToIni(TIniFileEx& ini, std::string_view section) const {
  section = SectionName(section);
  ini.WriteFont(section, "", WidgetFontInfo(*this));
  ini.WriteColor(section, "Color", Color());
  ini.WriteColor(section, "BorderColor", ColorBorder());
  ini.WriteColor(section, "FixedColor", ColorFixed());
  ini.WriteColor(section, "SelColor", ColorSel());
  ini.WriteColor(section, "SelBkColor", ColorSelBk());
  ini.WriteColor(section, "MatchColor", ColorMatch());
  ini.WriteColor(section, "MatchBkColor", ColorMatchBk());
  ini.WriteBool(section, "ShowFileNameOnly", ShowFileNameOnly());
  ini.WriteBool(section, "ShowGridLine", ShowGridLine());
  ini.WriteBool(section, "DoubleBuffered", DoubleBuffered());
  ini.WriteInteger(section, "WheelScrollLine", WheelScrollLine());
  ini.WriteBool(section, "RightClickSelect", RightClickSelect());
  ini.WriteBool(section, "HorizontalScroll", HorizontalScroll());
  ini.WriteInteger(section, "SaveType", SaveType());
  for (int col = 0; col < kColCount; ++col)
    ini.WriteInteger(section, ColumnKey("TitleWidths", col), TitleWidths(col));
  for (int col = 0; col < static_cast<int>(TitleCaptions().size()); ++col)
    ini.WriteString(section, ColumnKey("TitleCaptions", col), TitleCaptions()[col]);
}

}  // namespace tansa2
