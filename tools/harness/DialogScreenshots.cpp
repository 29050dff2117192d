#include "tools/harness/DialogScreenshots.h"

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
#include <functional>

#include "session/ui/FrTS2Main.h"

namespace tansa2 {
namespace {

void Save(QWidget& widget, const QString& file) {
  if (!widget.grab().save(file, "PNG")) std::fprintf(stderr, "tansa2: cannot write %s\n", qPrintable(file));
}

// Runs the command `name`; `draw` gets the modal dialog it opens, inside
// that dialog's own event loop, and closes it.
void Schedule(TFormTS2Main& window, const char* name, std::function<void(QDialog&)> draw) {
  auto* command = window.findChild<QAction*>(QString::fromLatin1(name));
  QTimer::singleShot(0, &window, [action = QPointer<QAction>(command), name, draw = std::move(draw)] {
    QTimer::singleShot(0, qApp, [name, draw] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) draw(*dialog);
      else std::fprintf(stderr, "tansa2: %s opened no dialog\n", name);
      QApplication::quit();
    });
    if (action) action->trigger();
  });
}

}  // namespace

bool ScheduleDialogScreenshot(TFormTS2Main& window) {
  if (const char* file = std::getenv("TANSA2_ABOUT_SCREENSHOT")) {
    Schedule(window, "ActionHelpVersion", [output = QString::fromLocal8Bit(file)](QDialog& box) {
      Save(box, output);
      box.close();
    });
    return true;
  }
  if (const char* folder = std::getenv("TANSA2_PREFS_SCREENSHOT")) {
    Schedule(window, "ActionToolEnv", [output = QDir(QString::fromLocal8Bit(folder))](QDialog& dialog) {
      if (auto* pages = dialog.findChild<QTabWidget*>(QStringLiteral("KyFlatPagesEnv"))) {
        for (int index = 0; index < pages->count(); ++index) {
          pages->setCurrentIndex(index);
          Save(dialog, output.filePath(QStringLiteral("preferences-%1.png").arg(index + 1)));
        }
      }
      dialog.reject();
    });
    return true;
  }
  return false;
}

}  // namespace tansa2
