#include "session/ui/StatusPanel.h"

#include <QSizeGrip>

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

namespace {

constexpr int kStatusBarHeight = 23;
constexpr int kIndexPanelWidth = 73;
constexpr int kStatusPanelWidth = 322;
constexpr int kGripSize = 16;

}  // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PanelStatus"));
  setFixedHeight(kStatusBarHeight);
  KyFlatPanelIndex = new TStatusPanel(Qt::AlignRight, this);
  KyFlatPanelIndex->setObjectName(QStringLiteral("KyFlatPanelIndex"));
  KyFlatPanelIndex->setGeometry(0, 2, kIndexPanelWidth, kStatusBarHeight - 2);
  KyFlatPanelStatus = new TStatusPanel(Qt::AlignLeft, this);
  KyFlatPanelStatus->setObjectName(QStringLiteral("KyFlatPanelStatus"));
  KyFlatPanelStatus->setGeometry(kIndexPanelWidth, 2, kStatusPanelWidth, kStatusBarHeight - 2);
  ImageGrip = new QSizeGrip(this);
  ImageGrip->setObjectName(QStringLiteral("ImageGrip"));
  ImageGrip->setFixedSize(kGripSize, kGripSize);
}

void TStatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ImageGrip->move(width() - kGripSize, height() - kGripSize);
}

}  // namespace tansa2
