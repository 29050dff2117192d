// The main window's result history: every run with hits becomes an entry in
// the Tmp folder, and Back and Forward put an entry's fields and rows on show.
#include <QTimer>
#include <exception>

#include "platform/ui/Feedback.h"
#include "results/ui/KyGrepResult.h"
#include "session/GrepHistory.h"
#include "session/ui/FrTS2Main.h"
#include "settings/Locations.h"
#include "session/ui/SearchPanel.h"

namespace tansa2 {

bool TFormTS2Main::HistoryPending() const { return TimerHistory && TimerHistory->isActive(); }

void TFormTS2Main::AddHistoryEntry() {
  ++GrepHistoryInfo.Last;
  GrepHistoryInfo.Current = GrepHistoryInfo.Last;
  if (GrepHistoryInfo.First == 0) GrepHistoryInfo.First = 1;
  // The fields that found these rows: what is typed before the entry is
  // written belongs to the next search.
  historyParam_ = PanelGrep->ReadGrepParam();
  ActionGrepStart->Action->setEnabled(false);
  TimerHistory->start();
}

void TFormTS2Main::TimerHistoryTimer() {
  TimerHistory->stop();
  {
    const platform::TWaitCursor waitCursor;
    try {
      StoreHistoryEntry(GetTmpDir(), GrepHistoryInfo.Last, historyParam_, KyGrepResult->Rows());
      SaveGrepHistorySettings();
    } catch (const std::exception&) {
      // A history that can't be written costs the entry, never the session.
    }
  }
  ActionGrepStart->Action->setEnabled(true);
  // Back, Forward and clear history waited for the entry.
  Commands.Refresh(TCommandCategory::Result);
}

void TFormTS2Main::LoadHistoryEntry(int number) {
  const std::string tmpDir = GetTmpDir();
  const TGrepParam param = LoadHistoryParam(tmpDir, number);
  KyGrepResult->LoadFromFile(GrepResultFileName(tmpDir, number));
  PanelGrep->ApplyGrepParam(param);
}

void TFormTS2Main::ActionResultPrevExecute() { StepHistory(-1); }
void TFormTS2Main::ActionResultNextExecute() { StepHistory(1); }

// The position moves before the entry is read: an entry that can't be read
// leaves the screen as it was, with the position on that entry.
void TFormTS2Main::StepHistory(int step) {
  const int target = GrepHistoryInfo.Current + step;
  if (Searching() || HistoryPending() || target < GrepHistoryInfo.First || target > GrepHistoryInfo.Last)
    return;
  try {
    const platform::TWaitCursor waitCursor;
    GrepHistoryInfo.Current = target;
    LoadHistoryEntry(target);
  } catch (const std::exception&) {
    // The states follow the position, also when its entry can't be shown.
  }
  Commands.Refresh(TCommandCategory::Result);
}

void TFormTS2Main::ActionResultClearHistoryExecute() {
  if (Searching() || HistoryPending()) return;
  {
    const platform::TWaitCursor waitCursor;
    try {
      ClearHistoryFolder(GetTmpDir());
    } catch (const std::exception&) {
      // No Tmp folder to be had: nothing to delete either.
    }
    GrepHistoryInfo.First = 0;
    GrepHistoryInfo.Last = 0;
    GrepHistoryInfo.Current = 0;
  }
  Commands.Refresh(TCommandCategory::Result);
}

}  // namespace tansa2
