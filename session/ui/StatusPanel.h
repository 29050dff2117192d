#pragma once
// One sunken panel of the status bar with a line of text. Setting the text
// only schedules a repaint, so the hit count can change after every hit
// without slowing a search down.
#include <QFrame>
#include <QString>

class QSizeGrip;

namespace tansa2 {

class TStatusPanel : public QFrame {
  Q_OBJECT

 public:
  TStatusPanel(Qt::Alignment alignment, QWidget* parent = nullptr);

  const QString& Text() const { return text_; }
  void SetText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  Qt::Alignment alignment_;
};

// The main window's status bar: the index panel, the status text panel and
// the size grip in the bottom-right corner.
class TStatusBar : public QWidget {
  Q_OBJECT

 public:
  explicit TStatusBar(QWidget* parent = nullptr);

  TStatusPanel* KyFlatPanelIndex = nullptr;
  TStatusPanel* KyFlatPanelStatus = nullptr;
  QSizeGrip* ImageGrip = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace tansa2
