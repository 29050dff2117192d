#include "session/ui/AutoRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"

namespace tansa2 {

namespace {

// Prints when the window's first paint is over, its children's included,
// and quits.
class TFirstPaint : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, qApp, [] {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("first paint at %lld ms\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return false;
  }
};

}  // namespace

bool ScheduleAutoRun(TFormTS2Main& window) {
  if (std::getenv("TANSA2_FIRST_PAINT")) {
    window.installEventFilter(new TFirstPaint(&window));
    return true;
  }
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
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    window.activateWindow();
    // How responsive the window stays: the longest time between two turns
    // of its event loop, and how soon a cancel ends the run.
    Clock::time_point lastTurn = Clock::now();
    Clock::duration longestGap{};
    QTimer turns;
    turns.setInterval(5);
    QObject::connect(&turns, &QTimer::timeout, [&] {
      const Clock::time_point now = Clock::now();
      longestGap = std::max(longestGap, now - lastTurn);
      lastTurn = now;
    });
    Clock::time_point canceledAt;
    // Owned by this frame: a run that ends before the cancel is due takes
    // the timer with it, instead of leaving it to write into a dead frame
    // and to cancel a later search.
    QTimer cancel;
    cancel.setSingleShot(true);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
      canceledAt = Clock::now();
      window.ActionGrepCancelExecute();
    });
    if (const char* cancelAfter = std::getenv("TANSA2_AUTORUN_CANCEL_MS")) cancel.start(std::atoi(cancelAfter));
    const Clock::time_point start = Clock::now();
    turns.start();
    window.ActionGrepStartExecute();
    const Clock::time_point end = Clock::now();
    turns.stop();
    const auto ms = [](Clock::duration d) {
      return static_cast<long long>(std::chrono::duration_cast<milliseconds>(d).count());
    };
    const auto* list = window.findChild<TKyGrepResult*>(QStringLiteral("KyGrepResult"));
    std::printf("%d hits %lld ms, longest gap %lld ms, cancel to end %lld ms\n",
                list ? list->DataCount() : 0, ms(end - start), ms(longestGap),
                canceledAt == Clock::time_point() ? -1LL : ms(end - canceledAt));
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
