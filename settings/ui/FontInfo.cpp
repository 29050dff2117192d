#include "settings/ui/FontInfo.h"

#include <QApplication>
#include <QFontInfo>
#include <QVariant>
#include <QWidget>

#include "platform/ui/Colors.h"
#include "platform/ui/QtText.h"

namespace tansa2 {
namespace {

constexpr int kMaxPointSize = 500;
constexpr char kColorProperty[] = "tansa2FontColor";

}  // namespace

QFont ToQFont(const TFontInfo& info) {
  QFont font;
  if (!info.Name.empty()) font.setFamily(platform::ToQString(info.Name));
  if (info.Size >= 1 && info.Size <= kMaxPointSize) font.setPointSize(info.Size);
  font.setBold(info.Bold);
  font.setItalic(info.Italic);
  font.setUnderline(info.Underline);
  return font;
}

TFontInfo ToFontInfo(const QFont& font, uint32_t color) {
  TFontInfo info;
  info.Name = platform::FromQString(font.family());
  // A font set in pixels has no point size of its own until it is matched.
  info.Size = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
  info.Color = color;
  info.Bold = font.bold();
  info.Italic = font.italic();
  info.Underline = font.underline();
  return info;
}

void ApplyFontInfo(QWidget& widget, const TFontInfo& info) {
  widget.setFont(ToQFont(info));
  // System colours are looked up in the application's palette, not in one
  // an earlier colour has already changed.
  const QColor color = platform::ToQColor(info.Color, QApplication::palette(&widget));
  QPalette palette = widget.palette();
  // Disabled text keeps its grey.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      palette.setColor(group, role, color);
  widget.setPalette(palette);
  widget.setProperty(kColorProperty, QVariant::fromValue(info.Color));
}

TFontInfo WidgetFontInfo(const QWidget& widget) {
  for (const QWidget* owner = &widget; owner != nullptr; owner = owner->parentWidget()) {
    const QVariant color = owner->property(kColorProperty);
    if (color.isValid()) return ToFontInfo(widget.font(), color.value<uint32_t>());
  }
  return ToFontInfo(widget.font(), platform::clWindowText);
}

}  // namespace tansa2
