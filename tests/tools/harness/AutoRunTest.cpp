#include "tools/harness/AutoRun.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>

#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

void Spin(int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// An unattended run that ends before its cancel is due must not leave the
// cancel behind: it would fire into the run's finished frame and stop the
// user's next search.
TEST(AutoRunTest, ACancelNotYetDueWhenTheRunEndsNeverFires) {
  testing::QtApp();
  testing::TTempDir home;
  testing::TTempDir tree;
  setenv("TANSA2_HOME", home.String().c_str(), 1);
  for (int i = 0; i < 50; ++i) tree.Write("f" + std::to_string(i) + ".txt", "hit\n");
  setenv("TANSA2_AUTORUN", "-", 1);
  // Due long after a run of fifty small files ends, also on a loaded machine
  // and with sanitizers (60 ms was once too short there).
  setenv("TANSA2_AUTORUN_CANCEL_MS", "500", 1);
  {
    TFormTS2Main window({tree.String(), "hit", "*.txt"});
    window.show();
    ASSERT_TRUE(ScheduleAutoRun(window));
    auto* list = window.findChild<TKyGrepResult*>(QStringLiteral("KyGrepResult"));
    ASSERT_NE(list, nullptr);
    while (list->DataCount() == 0) QCoreApplication::processEvents();
    ASSERT_EQ(list->DataCount(), 50) << "the unattended run itself ends before its cancel";

    // The next search stays in its message pump past the time the cancel
    // was due.
    bool searching = false;
    QTimer stall;
    stall.setInterval(0);
    QObject::connect(&stall, &QTimer::timeout, [&] {
      if (!searching) return;
      searching = false;
      Spin(600);
    });
    stall.start();
    searching = true;
    window.ActionGrepStartExecute();
    EXPECT_EQ(list->DataCount(), 50);
  }
  unsetenv("TANSA2_AUTORUN");
  unsetenv("TANSA2_AUTORUN_CANCEL_MS");
  unsetenv("TANSA2_HOME");
}

}  // namespace
}  // namespace tansa2
