#include "tools/harness/AutoRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QPaintEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"

namespace tansa2 {

namespace {

// Runs `then` once the window's first paint is over, its children's included.
class TFirstPaint : public QObject {
 public:
  TFirstPaint(QObject* window, std::function<void()> then) : QObject(window), then_(std::move(then)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, qApp, then_);
    }
    return false;
  }

 private:
  std::function<void()> then_;
};

// Notes when the first paint of the result list that shows rows is over: the
// paint is run inside the filter, so the time taken is its end, not its start.
class TFirstRowsPaint : public QObject {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TFirstRowsPaint(TKyGrepResult& list) : list_(list) {
    list.viewport()->installEventFilter(this);
  }

  Clock::time_point PaintedAt() const { return paintedAt_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || list_.DataCount() == 0) return false;
    const QRect firstRow = list_.visualRect(list_.model()->index(list_.verticalScrollBar()->value(), 2));
    if (!static_cast<QPaintEvent*>(event)->region().intersects(firstRow)) return false;
    watched->removeEventFilter(this);
    QCoreApplication::sendEvent(watched, event);
    paintedAt_ = Clock::now();
    return true;
  }

 private:
  TKyGrepResult& list_;
  Clock::time_point paintedAt_;
};

// The peak resident set of this process so far, in KB; -1 where the system
// doesn't tell.
long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

}  // namespace

bool ScheduleAutoRun(TFormTS2Main& window) {
  if (std::getenv("TANSA2_FIRST_PAINT")) {
    new TFirstPaint(&window, [] {
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      std::printf("first paint at %lld ms\n",
                  static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
      std::fflush(stdout);
      QCoreApplication::quit();
    });
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

  // The search starts when the window has been painted once, as it has
  // when a user starts one: the first paint isn't the search's time.
  new TFirstPaint(&window, [&window] {
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
    auto* list = window.findChild<TKyGrepResult*>(QStringLiteral("KyGrepResult"));
    std::unique_ptr<TFirstRowsPaint> firstRows;
    if (list) firstRows = std::make_unique<TFirstRowsPaint>(*list);
    const Clock::time_point start = Clock::now();
    turns.start();
    window.ActionGrepStartExecute();
    const Clock::time_point end = Clock::now();
    turns.stop();
    const auto ms = [](Clock::duration d) {
      return static_cast<long long>(std::chrono::duration_cast<milliseconds>(d).count());
    };
    // Rows held back until the end are painted at the next turns of the loop.
    for (int turn = 0; firstRows && list->DataCount() > 0 && firstRows->PaintedAt() == Clock::time_point() &&
                       turn < 100;
         ++turn)
      QApplication::processEvents();
    const Clock::time_point paintedAt = firstRows ? firstRows->PaintedAt() : Clock::time_point();
    firstRows.reset();
    std::printf("%d hits %lld ms, longest gap %lld ms, cancel to end %lld ms, first rows %lld ms, peak %ld KB\n",
                list ? list->DataCount() : 0, ms(end - start), ms(longestGap),
                canceledAt == Clock::time_point() ? -1LL : ms(end - canceledAt),
                paintedAt == Clock::time_point() ? -1LL : ms(paintedAt - start),
                PeakResidentKb());
    std::fflush(stdout);
    if (const char* csv = std::getenv("TANSA2_AUTORUN_CSV"); csv && list) {
      try {
        list->SaveToCsvFile(csv);
      } catch (const std::exception& error) {
        std::fprintf(stderr, "tansa2: %s\n", error.what());
      }
    }
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
