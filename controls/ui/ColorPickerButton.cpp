#include "controls/ui/ColorPickerButton.h"

#include <QColorDialog>
#include <QEvent>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidgetAction>

#include "platform/ColorNames.h"
#include "platform/ui/Colors.h"

namespace tansa2 {
namespace {

// The sixteen colours of the basic palette and the four the settings also
// name, in the order the grid shows them.
constexpr uint32_t kStandardColors[] = {
    0x00000000, 0x00000080, 0x00008000, 0x00008080, 0x00800000, 0x00800080, 0x00808000, 0x00808080,
    0x00C0C0C0, 0x000000FF, 0x0000FF00, 0x0000FFFF, 0x00FF0000, 0x00FF00FF, 0x00FFFF00, 0x00FFFFFF,
    0x00C0DCC0, 0x00F0CAA6, 0x00F0FBFF, 0x00A4A0A0};
constexpr int kGridColumns = 8;
constexpr uint32_t kSystemFlag = 0x80000000;
constexpr uint32_t kSystemColorCount = 31;
const QSize kPaletteSwatch(16, 16);

uint32_t FromQColor(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
         static_cast<uint32_t>(color.blue()) << 16;
}

// A framed rectangle of the colour; no colour is white, struck through.
QIcon Swatch(uint32_t color, QSize size, const QPalette& palette) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const QRect frame(0, 0, size.width() - 1, size.height() - 1);
  painter.fillRect(frame, color == platform::clNone ? QColor(Qt::white) : platform::ToQColor(color, palette));
  painter.setPen(palette.color(QPalette::Shadow));
  painter.drawRect(frame);
  if (color == platform::clNone) {
    painter.setPen(Qt::red);
    painter.drawLine(frame.bottomLeft(), frame.topRight());
  }
  return QIcon(pixmap);
}

}  // namespace

TColorPickerButton::TColorPickerButton(QWidget* parent) : QToolButton(parent) {
  setPopupMode(QToolButton::InstantPopup);
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  BuildPalette();
  ShowColor();
}

void TColorPickerButton::SetColor(uint32_t color) {
  if (color == color_) return;
  color_ = color;
  ShowColor();
}

void TColorPickerButton::BuildPalette() {
  auto* palette = new QMenu(this);
  palette->setObjectName(QStringLiteral("MenuColorPalette"));
  // A prompt heads the palette; it chooses nothing.
  palette->addAction(QString::fromUtf8("選択してください"))->setEnabled(false);
  palette->addSeparator();

  auto* grid = new QWidget(palette);
  auto* layout = new QGridLayout(grid);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  int cell = 0;
  for (uint32_t color : kStandardColors) {
    auto* button = new QToolButton(grid);
    button->setAutoRaise(true);
    button->setIconSize(kPaletteSwatch);
    button->setDefaultAction(AddColorAction(palette, color));
    layout->addWidget(button, cell / kGridColumns, cell % kGridColumns);
    ++cell;
  }
  auto* gridAction = new QWidgetAction(palette);
  gridAction->setDefaultWidget(grid);
  palette->addAction(gridAction);

  palette->addSeparator();
  QMenu* system = palette->addMenu(QString::fromUtf8("システムカラー(&S)"));
  system->setObjectName(QStringLiteral("MenuSystemColor"));
  // Every system colour the settings file knows by name.
  for (uint32_t index = 0; index < kSystemColorCount; ++index) {
    const uint32_t color = kSystemFlag + index;
    if (platform::ColorToString(color).front() == '$') continue;
    system->addAction(AddColorAction(system, color));
  }

  palette->addSeparator();
  QAction* other = palette->addAction(QString::fromUtf8("その他"));
  other->setObjectName(QStringLiteral("ActionOtherColor"));
  connect(other, &QAction::triggered, this, &TColorPickerButton::ChooseOtherColor);

  // System colours look as the palette of the moment makes them.
  connect(palette, &QMenu::aboutToShow, this, [this, palette] {
    for (QAction* action : palette->findChildren<QAction*>())
      if (action->data().isValid())
        action->setIcon(Swatch(action->data().toUInt(), kPaletteSwatch, this->palette()));
  });
  setMenu(palette);
}

QAction* TColorPickerButton::AddColorAction(QWidget* owner, uint32_t color) {
  const QString name = QString::fromLatin1(platform::ColorToString(color));
  auto* action = new QAction(Swatch(color, kPaletteSwatch, palette()), name, owner);
  action->setToolTip(name);
  action->setData(color);
  connect(action, &QAction::triggered, this, [this, color] { ColorChosen(color); });
  return action;
}

void TColorPickerButton::ColorChosen(uint32_t color) {
  // The grid's buttons are widgets in the menu, which doesn't close by itself.
  menu()->close();
  SetColor(color);
  if (OnChange) OnChange();
}

void TColorPickerButton::ChooseOtherColor() {
  const QColor chosen = QColorDialog::getColor(platform::ToQColor(color_, palette()), this,
                                               QString::fromUtf8("色の設定"));
  if (chosen.isValid()) ColorChosen(FromQColor(chosen));
}

void TColorPickerButton::ShowColor() {
  // The swatch fills the button but for the drop-down arrow.
  const QSize size(std::max(width() - 20, 12), std::max(height() - 10, 8));
  setIconSize(size);
  setIcon(Swatch(color_, size, palette()));
  setToolTip(QString::fromLatin1(platform::ColorToString(color_)));
}

void TColorPickerButton::resizeEvent(QResizeEvent* event) {
  QToolButton::resizeEvent(event);
  ShowColor();
}

void TColorPickerButton::changeEvent(QEvent* event) {
  QToolButton::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) ShowColor();
}

}  // namespace tansa2
