// The main window's side of the preferences dialog: the groups handed to
// it, and what OK changes in the window and in the settings file.
#include <exception>

#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "session/ui/ResultHistoryController.h"
#include "settings/IniFileEx.h"
#include "settings/Locations.h"
#include "settings/SettingsSections.h"
#include "settings/ui/FontInfo.h"
#include "settings/ui/FrToolEnv.h"
#include "settings/ui/GrepResultSettings.h"
#include "session/ui/SearchPanel.h"

namespace tansa2 {

void TFormTS2Main::ApplyGrepResult(const TGrepResultInfo& info) {
  TGrepResultSection section = GrepResultSettings(*KyGrepResult);
  section.Info = info;
  ApplyGrepResultSettings(*KyGrepResult, section);
}

void TFormTS2Main::ActionToolEnvExecute() {
  KyGrepResult->viewport()->update();
  {
    TFormToolEnv dialog(this);
    dialog.BasicInfo = BasicInfo;
    dialog.DirPanelInfo = DirPanelInfo;
    dialog.GrepInfo = PanelGrep->ReadGrepInfo(GrepInfo);
    // The dialog shows the excluded extensions as the search uses them;
    // OK then stores the dialog's text in place of the one typed before.
    dialog.GrepInfo.NoFileExt = GrepRun.NoFileExtList.CommaText();
    dialog.GrepResultInfo = GrepResultSettings(*KyGrepResult).Info;
    dialog.GrepHistoryInfo = History->Info;
    dialog.EditorInfo = EditorInfo;
    dialog.ShortCutTable = GetShortCutTable();
    if (dialog.exec() == QDialog::Accepted) {
      BasicInfo = dialog.BasicInfo;
      DirPanelInfo = dialog.DirPanelInfo;
      GrepInfo = dialog.GrepInfo;
      EditorInfo = dialog.EditorInfo;
      // Of the result history the dialog edits only the switch; the
      // counters stay the window's own.
      History->Info.Used = dialog.GrepHistoryInfo.Used;

      ApplyBasicInfo();
      ApplyDirPanel();
      ApplyGrep();
      ApplyGrepResult(dialog.GrepResultInfo);
      Commands.Refresh(TCommandCategory::Result);
      ApplyEditorIcon();
      ApplyShortCutTable(dialog.ShortCutTable);
      // What can't be written stays applied for this session.
      try {
        SaveToolEnvSettings();
      } catch (const std::exception& e) {
        ShowError(e.what());
      }
    }
  }
  KyGrepResult->viewport()->update();
}

void TFormTS2Main::SaveToolEnvSettings() {
  TIniFileEx ini(GetIniFileName());
  WriteBasicInfo(ini, BasicInfo);
  WriteDirPanel(ini, DirPanelInfo, dirPanelWidth_);
  WriteGrep(ini, PanelGrep->ReadGrepInfo(GrepInfo), PanelGrep->ReadGrepOptions());
  WriteEditor(ini, EditorInfo);
  WriteShortCut(ini);
  WriteGrepResult(ini, GrepResultSettings(*KyGrepResult));
  ini.UpdateFile();
}

}  // namespace tansa2
