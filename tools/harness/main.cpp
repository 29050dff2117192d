// tansa2-harness: the window program driven for the benchmarks and the
// screenshot tools, as the environment asks (AutoRun.h,
// DialogScreenshots.h); without such a request it is the plain window.
#include "session/ui/FrTS2Main.h"
#include "session/ui/RunWindow.h"
#include "tools/harness/AutoRun.h"
#include "tools/harness/DialogScreenshots.h"

int main(int argc, char** argv) {
  return tansa2::RunWindow(argc, argv, [](tansa2::TFormTS2Main& window) {
    if (!tansa2::ScheduleAutoRun(window)) tansa2::ScheduleDialogScreenshot(window);
  });
}
