#include "settings/ui/GrepResultSettings.h"

#include "results/ui/KyGrepResult.h"
#include "settings/ui/FontInfo.h"

namespace tansa2 {
namespace {

using TList = TKyGrepResult;

// `bind(field, getter, setter)` for every field the list holds as a property.
template <class Bind, class Section>
void GrepResultFields(Bind&& bind, Section& section) {
  auto& info = section.Info;
  bind(info.Color, &TList::Color, &TList::SetColor);
  bind(section.BorderColor, &TList::ColorBorder, &TList::SetColorBorder);
  bind(section.FixedColor, &TList::ColorFixed, &TList::SetColorFixed);
  bind(info.SelColor, &TList::ColorSel, &TList::SetColorSel);
  bind(info.SelBkColor, &TList::ColorSelBk, &TList::SetColorSelBk);
  bind(info.MatchColor, &TList::ColorMatch, &TList::SetColorMatch);
  bind(info.MatchBkColor, &TList::ColorMatchBk, &TList::SetColorMatchBk);
  bind(info.ShowFileNameOnly, &TList::ShowFileNameOnly, &TList::SetShowFileNameOnly);
  bind(info.ShowGridLine, &TList::ShowGridLine, &TList::SetShowGridLine);
  bind(info.DoubleBuffered, &TList::DoubleBuffered, &TList::SetDoubleBuffered);
  bind(info.WheelScrollLine, &TList::WheelScrollLine, &TList::SetWheelScrollLine);
  bind(info.RightClickSelect, &TList::RightClickSelect, &TList::SetRightClickSelect);
  bind(info.HorizontalScroll, &TList::HorizontalScroll, &TList::SetHorizontalScroll);
  bind(info.SaveType, &TList::SaveType, &TList::SetSaveType);
}

}  // namespace

TGrepResultSection GrepResultSettings(const TKyGrepResult& list) {
  TGrepResultSection section;
  section.Info.Font = WidgetFontInfo(list);
  GrepResultFields([&list](auto& field, auto get, auto) { field = (list.*get)(); }, section);
  for (size_t col = 0; col < section.TitleWidths.size(); ++col)
    section.TitleWidths[col] = list.TitleWidths(static_cast<int>(col));
  section.TitleCaptions = list.TitleCaptions();
  return section;
}

void ApplyGrepResultSettings(TKyGrepResult& list, const TGrepResultSection& section) {
  ApplyFontInfo(list, section.Info.Font);
  GrepResultFields([&list](const auto& field, auto, auto set) { (list.*set)(field); }, section);
  for (size_t col = 0; col < section.TitleWidths.size(); ++col)
    list.SetTitleWidths(static_cast<int>(col), section.TitleWidths[col]);
  list.SetTitleCaptions(section.TitleCaptions);
}

}  // namespace tansa2
