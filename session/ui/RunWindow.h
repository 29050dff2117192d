#pragma once
// The window program from its command line to the end of its event loop:
// the single-instance hand-off, the application, the window.
#include <functional>

namespace tansa2 {

class TFormTS2Main;

// `shown` runs once the window is on screen, before the event loop starts;
// the test harness drives the window from there. Returns the exit code.
int RunWindow(int argc, char** argv, const std::function<void(TFormTS2Main&)>& shown = {});

}  // namespace tansa2
