#pragma once
// The main window's result history: every run with hits becomes an entry in
// the Tmp folder, written by the timer TimerHistory half a second after the
// run, and Back and Forward put an entry's fields and rows on show.
#include <QObject>
#include <functional>

#include "session/GrepRun.h"
#include "settings/SettingsGroups.h"

class QTimer;

namespace tansa2 {

class TKyGrepResult;
class TSearchPanel;

class TResultHistoryController : public QObject {
 public:
  // The entries are the rows of `list` and the parameters in `fields`.
  TResultHistoryController(TKyGrepResult& list, TSearchPanel& fields, QObject* parent);

  // The switch and the counters, section "GrepHistory".
  TGrepHistoryInfo Info;
  // An entry begins (true) or ends (false) waiting for the timer.
  std::function<void(bool pending)> OnPendingChanged;

  // An entry is waiting for the timer to write it.
  bool Pending() const;
  // Back (-1) or Forward (1) has an entry to step to and the history is on.
  bool CanStep(int step) const;
  bool CanClear() const;

  // Moves the counters after a run with hits and has the timer write the
  // entry from the fields and rows as they are now.
  void Add();
  // Writes a waiting entry now.
  void FlushPending();
  // Back (-1) or Forward (1); false when there was no entry to step to. The
  // position moves also when its entry can't be shown.
  bool Step(int step);
  // Deletes every entry; false while one is waiting.
  bool Clear();

 private:
  bool Reachable(int step) const;
  void TimerHistoryTimer();

  TKyGrepResult& list_;
  TSearchPanel& fields_;
  QTimer* TimerHistory;
  TGrepParam param_;  // of the entry TimerHistory is to write
};

}  // namespace tansa2
