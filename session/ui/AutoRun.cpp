#include "session/ui/AutoRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"

namespace tansa2 {

bool ScheduleAutoRun(TFormTS2Main& window) {
  const char* boxes = std::getenv("TANSA2_AUTORUN");
  if (!boxes) return false;
  const QString letters = QString::fromLatin1(boxes).toUpper();
  const std::pair<char, const char*> names[] = {{'B', "KyFlatCheckBoxGrepSubDir"},
                                                {'C', "KyFlatCheckBoxGrepMatchCase"},
                                                {'N', "KyFlatCheckBoxGrepNoRegExp"},
                                                {'A', "KyFlatCheckBoxGrepAutoCode"}};
  for (const auto& [letter, name] : names)
    if (auto* box = window.findChild<QCheckBox*>(QString::fromLatin1(name)))
      box->setChecked(letters.contains(QLatin1Char(letter)));

  QTimer::singleShot(0, &window, [&window] {
    window.activateWindow();
    const auto start = std::chrono::steady_clock::now();
    window.ActionGrepStartExecute();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    const auto* list = window.findChild<TKyGrepResult*>(QStringLiteral("KyGrepResult"));
    std::printf("%d hits %lld ms\n", list ? list->DataCount() : 0,
                static_cast<long long>(elapsed.count()));
    std::fflush(stdout);
    if (const char* screenshot = std::getenv("TANSA2_SCREENSHOT")) {
      QApplication::processEvents();
      if (!window.grab().save(QString::fromLocal8Bit(screenshot), "PNG"))
        std::fprintf(stderr, "tansa2: cannot write %s\n", screenshot);
    }
    QApplication::quit();
  });
  return true;
}

}  // namespace tansa2
