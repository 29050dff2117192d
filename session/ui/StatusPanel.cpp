#include "session/ui/StatusPanel.h"

#include <QPainter>

namespace tansa2 {

TStatusPanel::TStatusPanel(Qt::Alignment alignment, QWidget* parent)
    : QFrame(parent), alignment_(alignment | Qt::AlignVCenter) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setContentsMargins(4, 0, 4, 0);
}

void TStatusPanel::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void TStatusPanel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  const QRect area = contentsRect();
  painter.drawText(area, static_cast<int>(alignment_),
                   fontMetrics().elidedText(text_, Qt::ElideRight, area.width()));
}

}  // namespace tansa2
