#include "controls/ui/AboutScreenshot.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace tansa2 {

bool ScheduleAboutScreenshot(QAction& showAbout) {
  const char* file = std::getenv("TANSA2_ABOUT_SCREENSHOT");
  if (!file) return false;
  const QString output = QString::fromLocal8Bit(file);
  QTimer::singleShot(0, &showAbout, [action = QPointer<QAction>(&showAbout), output] {
    // Runs inside the box's own event loop, once the box is up.
    QTimer::singleShot(0, qApp, [output] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box) std::fprintf(stderr, "tansa2: the about box didn't open\n");
      else if (!box->grab().save(output, "PNG"))
        std::fprintf(stderr, "tansa2: cannot write %s\n", qPrintable(output));
      if (box) box->close();
      QApplication::quit();
    });
    action->trigger();
  });
  return true;
}

}  // namespace tansa2
