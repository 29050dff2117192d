#include "settings/ui/ToolEnvScreenshot.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace tansa2 {
namespace {

// Draws every page of the open dialog; false when there is none.
bool DrawPages(const QDir& folder) {
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  auto* pages = dialog ? dialog->findChild<QTabWidget*>(QStringLiteral("KyFlatPagesEnv")) : nullptr;
  if (!pages) return false;
  for (int index = 0; index < pages->count(); ++index) {
    pages->setCurrentIndex(index);
    const QString file = folder.filePath(QStringLiteral("preferences-%1.png").arg(index + 1));
    if (!dialog->grab().save(file, "PNG")) std::fprintf(stderr, "tansa2: cannot write %s\n", qPrintable(file));
  }
  dialog->reject();
  return true;
}

}  // namespace

bool ScheduleToolEnvScreenshot(QAction& toolEnv) {
  const char* folder = std::getenv("TANSA2_PREFS_SCREENSHOT");
  if (!folder) return false;
  const QDir output(QString::fromLocal8Bit(folder));
  QTimer::singleShot(0, &toolEnv, [action = QPointer<QAction>(&toolEnv), output] {
    // Runs inside the dialog's own event loop, once the dialog is up.
    QTimer::singleShot(0, qApp, [output] {
      if (!DrawPages(output)) std::fprintf(stderr, "tansa2: the preferences didn't open\n");
      QApplication::quit();
    });
    action->trigger();
  });
  return true;
}

}  // namespace tansa2
