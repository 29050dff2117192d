#pragma once
// An unattended run for the benchmark and the screenshot tool: when the
// environment asks for it, one search runs as soon as the window is shown,
// its hit count and time go to standard output, and the program quits.
//   TANSA2_AUTORUN     the boxes to tick by their accelerator letters
//                      (B sub-directories, C match case, N no regular
//                      expression, A character-code detection); "-" for none
//   TANSA2_SCREENSHOT  a PNG file the window is drawn into after the search
//   TANSA2_AUTORUN_CANCEL_MS  cancel the search this many ms after its start
//   TANSA2_FIRST_PAINT  instead of a search: print the wall-clock time of the
//                       window's first paint ("first paint at N ms", since
//                       the epoch) and quit
// The line printed also gives the longest time between two turns of the
// event loop and, with a cancel, the time from the cancel to the run's end.
namespace tansa2 {

class TFormTS2Main;

// Returns whether a run was scheduled.
bool ScheduleAutoRun(TFormTS2Main& window);

}  // namespace tansa2
