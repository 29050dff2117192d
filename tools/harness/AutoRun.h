#pragma once
// An unattended run for the benchmark and the screenshot tool: when the
// environment asks for it, one search runs as soon as the window is shown,
// its hit count and time go to standard output, and the program quits.
//   TANSA2_AUTORUN     the boxes to tick by their accelerator letters
//                      (B sub-directories, C match case, N no regular
//                      expression, A character-code detection); "-" for none
//   TANSA2_SCREENSHOT  a PNG file the window is drawn into after the search
//   TANSA2_AUTORUN_CANCEL_MS  cancel the search this many ms after its start
//   TANSA2_AUTORUN_CSV  a file the rows are saved into, comma-separated,
//                       after the line below is printed
//   TANSA2_FIRST_PAINT  instead of a search: print the wall-clock time of the
//                       window's first paint ("first paint at N ms", since
//                       the epoch) and quit
// The line printed also gives the longest time between two turns of the
// event loop, with a cancel the time from the cancel to the run's end, the
// time from the start to the end of the first paint of the result list that
// shows rows (-1 when none did before the end), and the process's peak
// resident memory in KB up to the end of the search.
namespace tansa2 {

class TFormTS2Main;

// Returns whether a run was scheduled.
bool ScheduleAutoRun(TFormTS2Main& window);

}  // namespace tansa2
