#include "controls/ui/Icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <cmath>
#include <numbers>

namespace tansa2 {
namespace {

const QColor kOutline(0x40, 0x40, 0x48);
const QColor kGreen(0x2E, 0x9E, 0x3E);
const QColor kRed(0xD0, 0x30, 0x30);
const QColor kBlue(0x2F, 0x6F, 0xC8);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kFolder(0xF2, 0xC0, 0x4A);

QPen Outline(qreal width = 1.0) { return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void DrawPage(QPainter& p) {
  QPainterPath page;
  page.moveTo(3.5, 1.5);
  page.lineTo(10.5, 1.5);
  page.lineTo(13.5, 4.5);
  page.lineTo(13.5, 14.5);
  page.lineTo(3.5, 14.5);
  page.closeSubpath();
  p.setPen(Outline());
  p.setBrush(kPaper);
  p.drawPath(page);
  p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
  p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
}

void DrawArrow(QPainter& p, bool right) {
  QPainterPath arrow;
  arrow.moveTo(1.5, 8);
  arrow.lineTo(7.5, 2.5);
  arrow.lineTo(7.5, 5.5);
  arrow.lineTo(14.5, 5.5);
  arrow.lineTo(14.5, 10.5);
  arrow.lineTo(7.5, 10.5);
  arrow.lineTo(7.5, 13.5);
  arrow.closeSubpath();
  if (right) p.setTransform(QTransform(-1, 0, 0, 1, 16, 0), true);
  p.setPen(QPen(kBlue.darker(140), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kBlue);
  p.drawPath(arrow);
}

void DrawMagnifier(QPainter& p) {
  p.setPen(QPen(kOutline, 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
  p.setPen(Outline(1.4));
  p.setBrush(QColor(0xCF, 0xE8, 0xFF));
  p.drawEllipse(QPointF(6.5, 6.5), 4.6, 4.6);
}

void Draw(QPainter& p, TCommandImage image) {
  switch (image) {
    case ciExit: {
      p.setPen(Outline());
      p.setBrush(QColor(0xB8, 0x86, 0x4B));
      p.drawRect(QRectF(2.5, 1.5, 8, 13));
      p.setBrush(kOutline);
      p.drawEllipse(QPointF(8.5, 8), 0.8, 0.8);
      p.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(QPointF(9, 8), QPointF(14.5, 8));
      p.drawLine(QPointF(12, 5.5), QPointF(14.5, 8));
      p.drawLine(QPointF(12, 10.5), QPointF(14.5, 8));
      break;
    }
    case ciGrepStart:
      DrawPage(p);
      p.setPen(QPen(QColor(0xA0, 0xA0, 0xA8), 1.0));
      for (qreal y : {4.5, 6.5, 8.5}) p.drawLine(QPointF(5, y), QPointF(9, y));
      p.translate(3, 3);
      p.scale(0.8, 0.8);
      DrawMagnifier(p);
      break;
    case ciGrepCancel: {
      QPolygonF octagon;
      for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * std::numbers::pi / 180.0;
        octagon << QPointF(8 + 6.8 * std::cos(angle), 8 + 6.8 * std::sin(angle));
      }
      p.setPen(QPen(kRed.darker(150), 1.0));
      p.setBrush(kRed);
      p.drawPolygon(octagon);
      p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
      p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
      break;
    }
    case ciRefreshDir: {
      p.setPen(QPen(kGreen, 2.0, Qt::SolidLine, Qt::FlatCap));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 270 * 16);
      QPolygonF head{QPointF(7.2, 0.8), QPointF(11.4, 3.4), QPointF(7.2, 6.0)};
      p.setPen(Qt::NoPen);
      p.setBrush(kGreen);
      p.drawPolygon(head);
      break;
    }
    case ciResultPrev:
      DrawArrow(p, false);
      break;
    case ciResultNext:
      DrawArrow(p, true);
      break;
    case ciEditor: {
      DrawPage(p);
      p.setPen(QPen(QColor(0xA0, 0xA0, 0xA8), 1.0));
      for (qreal y : {6.5, 8.5, 10.5, 12.5}) p.drawLine(QPointF(5, y), QPointF(11.5, y));
      QPainterPath pencil;
      pencil.moveTo(8, 13);
      pencil.lineTo(14, 7);
      pencil.lineTo(15.5, 8.5);
      pencil.lineTo(9.5, 14.5);
      pencil.lineTo(7.5, 15);
      pencil.closeSubpath();
      p.setPen(Outline());
      p.setBrush(QColor(0xF5, 0xA6, 0x23));
      p.drawPath(pencil);
      break;
    }
    case ciResultClear:
      DrawPage(p);
      p.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(6, 6.5), QPointF(11, 11.5));
      p.drawLine(QPointF(11, 6.5), QPointF(6, 11.5));
      break;
    case ciResultSave: {
      p.setPen(Outline());
      p.setBrush(kBlue);
      p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
      p.setBrush(kPaper);
      p.drawRect(QRectF(4, 1.5, 8, 5.5));
      p.setBrush(QColor(0xD8, 0xD8, 0xE0));
      p.drawRect(QRectF(4.5, 9.5, 7, 5));
      p.setPen(Qt::NoPen);
      p.setBrush(kOutline);
      p.drawRect(QRectF(9, 2.5, 1.5, 3));
      break;
    }
    case ciToolEnv: {
      QPainterPath gear;
      const int teeth = 8;
      for (int i = 0; i < teeth * 2; ++i) {
        const double angle = (i * 180.0 / teeth) * std::numbers::pi / 180.0;
        const double r = (i % 2 == 0) ? 7.0 : 5.2;
        const double half = 0.24;
        const QPointF a(8 + r * std::cos(angle - half), 8 + r * std::sin(angle - half));
        const QPointF b(8 + r * std::cos(angle + half), 8 + r * std::sin(angle + half));
        if (i == 0) gear.moveTo(a);
        else gear.lineTo(a);
        gear.lineTo(b);
      }
      gear.closeSubpath();
      gear.addEllipse(QPointF(8, 8), 2.2, 2.2);
      gear.setFillRule(Qt::OddEvenFill);
      p.setPen(Outline());
      p.setBrush(QColor(0x9A, 0xA4, 0xB2));
      p.drawPath(gear);
      break;
    }
    case ciDirPanel: {
      QPainterPath folder;
      folder.moveTo(1.5, 3.5);
      folder.lineTo(6, 3.5);
      folder.lineTo(7.5, 5);
      folder.lineTo(14.5, 5);
      folder.lineTo(14.5, 13.5);
      folder.lineTo(1.5, 13.5);
      folder.closeSubpath();
      p.setPen(QPen(kFolder.darker(160), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(kFolder);
      p.drawPath(folder);
      p.setBrush(kFolder.lighter(115));
      p.drawRect(QRectF(1.5, 6.5, 13, 7));
      break;
    }
    case ciToolBar: {
      p.setPen(Outline());
      p.setBrush(kPaper);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      p.setBrush(QColor(0xC8, 0xD8, 0xF0));
      p.drawRect(QRectF(1.5, 2.5, 13, 4));
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      for (qreal x : {3.0, 6.0, 9.0}) p.drawRect(QRectF(x, 3.5, 2, 2));
      break;
    }
  }
}

QPixmap Render(TCommandImage image, const QSize& size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal side = std::min(size.width(), size.height());
  painter.translate((size.width() - side) / 2, (size.height() - side) / 2);
  painter.scale(side / 16.0, side / 16.0);
  Draw(painter, image);
  return pixmap;
}

// Draws the image at whatever pixel size is asked for, so a screen of any
// device pixel ratio gets it sharp rather than a small picture blown up.
class TDrawnIconEngine : public QIconEngine {
 public:
  explicit TDrawnIconEngine(TCommandImage image) : image_(image) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    if (size.isEmpty()) return {};
    const QString key = QStringLiteral("tansa2-icon-%1-%2x%3-%4")
                            .arg(image_)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(mode);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    pixmap = Render(image_, size);
    // Greyed and selected looks come from the style, as for any other icon.
    if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
      QStyleOption option;
      option.palette = QApplication::palette();
      pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }
    QPixmapCache::insert(key, pixmap);
    return pixmap;
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap drawn = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
    drawn.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), drawn);
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
  }
  QIconEngine* clone() const override { return new TDrawnIconEngine(image_); }
  QString key() const override { return QStringLiteral("tansa2-drawn"); }

 private:
  TCommandImage image_;
};

}  // namespace

QIcon CommandIcon(TCommandImage image) { return QIcon(new TDrawnIconEngine(image)); }

}  // namespace tansa2
