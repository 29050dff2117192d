#pragma once
// One sunken panel of the status bar with a line of text. Setting the text
// only schedules a repaint, so the hit count can change after every hit
// without slowing a search down.
#include <QFrame>
#include <QString>

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

}  // namespace tansa2
