#include "settings/ui/FontInfo.h"

#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QVariant>
#include <QWidget>

#include "platform/ui/Colors.h"
#include "platform/ui/QtText.h"

namespace tansa2 {
namespace {

constexpr int kMaxPointSize = 500;
constexpr char kColorProperty[] = "tansa2FontColor";

// Text, in the colour `value` names, looked up in the desktop's palette.
void ApplyColor(QWidget& widget, uint32_t value) {
  // System colours are looked up in the application's palette, not in one
  // an earlier colour has already changed.
  const QColor color = platform::ToQColor(value, QApplication::palette(&widget));
  QPalette palette = widget.palette();
  // Disabled text keeps its grey.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      palette.setColor(group, role, color);
  widget.setPalette(palette);
  widget.setProperty(kColorProperty, QVariant::fromValue(value));
}

// A system colour was looked up in the desktop's palette of its day: when the
// desktop switches between light and dark, the widget's text must follow.
class TDesktopColorFollower : public QObject {
 public:
  explicit TDesktopColorFollower(QWidget& widget)
      : QObject(&widget), desktopPalette_(QApplication::palette(&widget).cacheKey()) {
    widget.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::PaletteChange) {
      auto& widget = static_cast<QWidget&>(*watched);
      const qint64 desktop = QApplication::palette(&widget).cacheKey();
      if (desktop != desktopPalette_) {
        desktopPalette_ = desktop;
        ApplyColor(widget, widget.property(kColorProperty).value<uint32_t>());
      }
    }
    return false;
  }

 private:
  qint64 desktopPalette_;
};

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
  if (!widget.property(kColorProperty).isValid()) new TDesktopColorFollower(widget);
  ApplyColor(widget, info.Color);
}

TFontInfo WidgetFontInfo(const QWidget& widget) {
  for (const QWidget* owner = &widget; owner != nullptr; owner = owner->parentWidget()) {
    const QVariant color = owner->property(kColorProperty);
    if (color.isValid()) return ToFontInfo(widget.font(), color.value<uint32_t>());
  }
  return ToFontInfo(widget.font(), platform::clWindowText);
}

}  // namespace tansa2
