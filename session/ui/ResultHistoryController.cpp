#include "session/ui/ResultHistoryController.h"

#include <QTimer>
#include <exception>

#include "platform/ui/Feedback.h"
#include "results/ui/KyGrepResult.h"
#include "session/GrepHistory.h"
#include "session/ui/SearchPanel.h"
#include "settings/IniFileEx.h"
#include "settings/Locations.h"
#include "settings/SettingsSections.h"

namespace tansa2 {
namespace {

constexpr int kHistoryDelayMs = 500;

}  // namespace

TResultHistoryController::TResultHistoryController(TKyGrepResult& list, TSearchPanel& fields, QObject* parent)
    : QObject(parent), list_(list), fields_(fields), TimerHistory(new QTimer(this)) {
  TimerHistory->setSingleShot(true);
  TimerHistory->setInterval(kHistoryDelayMs);
  connect(TimerHistory, &QTimer::timeout, this, &TResultHistoryController::TimerHistoryTimer);
}

bool TResultHistoryController::Pending() const { return TimerHistory->isActive(); }

bool TResultHistoryController::Reachable(int step) const {
  const int target = Info.Current + step;
  return !Pending() && target >= Info.First && target <= Info.Last;
}

bool TResultHistoryController::CanStep(int step) const { return Info.Used && Reachable(step); }

bool TResultHistoryController::CanClear() const { return !Pending() && Info.First > 0; }

void TResultHistoryController::Add() {
  ++Info.Last;
  Info.Current = Info.Last;
  if (Info.First == 0) Info.First = 1;
  // The fields that found these rows: what is typed before the entry is
  // written belongs to the next search.
  param_ = fields_.ReadGrepParam();
  if (OnPendingChanged) OnPendingChanged(true);
  TimerHistory->start();
}

void TResultHistoryController::FlushPending() {
  if (Pending()) TimerHistoryTimer();
}

void TResultHistoryController::TimerHistoryTimer() {
  TimerHistory->stop();
  {
    const platform::TWaitCursor waitCursor;
    try {
      StoreHistoryEntry(GetTmpDir(), Info.Last, param_, list_.Rows());
      // The counters go to the settings file at once.
      TIniFileEx ini(GetIniFileName());
      WriteGrepHistory(ini, Info);
      ini.UpdateFile();
    } catch (const std::exception&) {
      // A history that can't be written costs the entry, never the session.
    }
  }
  if (OnPendingChanged) OnPendingChanged(false);
}

// The position moves before the entry is read: an entry that can't be read
// leaves the screen as it was, with the position on that entry.
bool TResultHistoryController::Step(int step) {
  if (!Reachable(step)) return false;
  try {
    const platform::TWaitCursor waitCursor;
    Info.Current += step;
    const std::string tmpDir = GetTmpDir();
    const TGrepParam param = LoadHistoryParam(tmpDir, Info.Current);
    list_.LoadFromFile(GrepResultFileName(tmpDir, Info.Current));
    fields_.ApplyGrepParam(param);
  } catch (const std::exception&) {
    // The states follow the position, also when its entry can't be shown.
  }
  return true;
}

bool TResultHistoryController::Clear() {
  if (Pending()) return false;
  const platform::TWaitCursor waitCursor;
  try {
    ClearHistoryFolder(GetTmpDir());
  } catch (const std::exception&) {
    // No Tmp folder to be had: nothing to delete either.
  }
  Info.First = 0;
  Info.Last = 0;
  Info.Current = 0;
  return true;
}

}  // namespace tansa2
