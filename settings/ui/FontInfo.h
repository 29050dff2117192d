#pragma once
// The settings' fonts on widgets. A widget keeps the colour value it was
// given beside its font, so that a system colour goes back to the settings
// file by its name and not as the colour it happened to look like.
#include <QFont>

#include "settings/SettingsGroups.h"

class QWidget;

namespace tansa2 {

// Family, size and style; a size outside 1 to 500 points keeps the
// application's size, so a damaged setting can't ask for a giant font.
QFont ToQFont(const TFontInfo& info);
TFontInfo ToFontInfo(const QFont& font, uint32_t color);

// The widget's font, and its text drawn in the font's colour; a system
// colour follows the desktop when it switches between light and dark.
void ApplyFontInfo(QWidget& widget, const TFontInfo& info);
// The widget's font with the colour ApplyFontInfo gave it or, as the
// palette does, its nearest parent; clWindowText when none was given.
TFontInfo WidgetFontInfo(const QWidget& widget);

}  // namespace tansa2
