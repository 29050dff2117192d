// The main window's side of the preferences dialog: the groups handed to
// it, and what OK changes in the window and in the settings file.
#include <QCheckBox>
#include <exception>

#include "results/CommaText.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "settings/IniFileEx.h"
#include "settings/Locations.h"
#include "settings/SettingsSections.h"
#include "settings/ui/FontInfo.h"
#include "settings/ui/FrToolEnv.h"
#include "settings/ui/KyHistoryComboBox.h"

namespace tansa2 {

TGrepInfo TFormTS2Main::GetGrepInfo() const {
  TGrepInfo grep = GrepInfo;
  grep.String = ToCommaText(KyFlatComboBoxExGrepStr->Items());
  grep.Directory = ToCommaText(KyFlatComboBoxExGrepDir->Items());
  grep.FileMask = ToCommaText(KyFlatComboBoxExGrepFileMask->Items());
  grep.DirectoryMask = ToCommaText(KyFlatComboBoxExGrepDirMask->Items());
  return grep;
}

TGrepOptions TFormTS2Main::GetGrepOptions() const {
  return {KyFlatCheckBoxGrepMatchCase->isChecked(), KyFlatCheckBoxGrepNoRegExp->isChecked(),
          KyFlatCheckBoxGrepAutoCode->isChecked(), KyFlatCheckBoxGrepSubDir->isChecked()};
}

TGrepResultInfo TFormTS2Main::GetGrepResultInfo() const {
  TGrepResultInfo info;
  info.Font = WidgetFontInfo(*KyGrepResult);
  info.Color = KyGrepResult->Color();
  info.SelColor = KyGrepResult->ColorSel();
  info.SelBkColor = KyGrepResult->ColorSelBk();
  info.MatchColor = KyGrepResult->ColorMatch();
  info.MatchBkColor = KyGrepResult->ColorMatchBk();
  info.DoubleBuffered = KyGrepResult->DoubleBuffered();
  info.ShowFileNameOnly = KyGrepResult->ShowFileNameOnly();
  info.ShowGridLine = KyGrepResult->ShowGridLine();
  info.WheelScrollLine = KyGrepResult->WheelScrollLine();
  info.RightClickSelect = KyGrepResult->RightClickSelect();
  info.HorizontalScroll = KyGrepResult->HorizontalScroll();
  info.SaveType = KyGrepResult->SaveType();
  return info;
}

void TFormTS2Main::ApplyGrepResult(const TGrepResultInfo& info) {
  ApplyFontInfo(*KyGrepResult, info.Font);
  KyGrepResult->SetColor(info.Color);
  KyGrepResult->SetColorSel(info.SelColor);
  KyGrepResult->SetColorSelBk(info.SelBkColor);
  KyGrepResult->SetColorMatch(info.MatchColor);
  KyGrepResult->SetColorMatchBk(info.MatchBkColor);
  KyGrepResult->SetDoubleBuffered(info.DoubleBuffered);
  KyGrepResult->SetShowFileNameOnly(info.ShowFileNameOnly);
  KyGrepResult->SetShowGridLine(info.ShowGridLine);
  KyGrepResult->SetWheelScrollLine(info.WheelScrollLine);
  KyGrepResult->SetRightClickSelect(info.RightClickSelect);
  KyGrepResult->SetHorizontalScroll(info.HorizontalScroll);
  KyGrepResult->SetSaveType(info.SaveType);
}

void TFormTS2Main::ActionToolEnvExecute() {
  KyGrepResult->viewport()->update();
  {
    TFormToolEnv dialog(this);
    dialog.BasicInfo = BasicInfo;
    dialog.DirPanelInfo = DirPanelInfo;
    dialog.GrepInfo = GetGrepInfo();
    // The dialog shows the excluded extensions as the search uses them;
    // OK then stores the dialog's text in place of the one typed before.
    dialog.GrepInfo.NoFileExt = GrepRun.NoFileExtList.CommaText();
    dialog.GrepResultInfo = GetGrepResultInfo();
    dialog.GrepHistoryInfo = GrepHistoryInfo;
    dialog.EditorInfo = EditorInfo;
    dialog.ShortCutTable = GetShortCutTable();
    if (dialog.exec() == QDialog::Accepted) {
      BasicInfo = dialog.BasicInfo;
      DirPanelInfo = dialog.DirPanelInfo;
      GrepInfo = dialog.GrepInfo;
      EditorInfo = dialog.EditorInfo;
      // Of the result history the dialog edits only the switch; the
      // counters stay the window's own.
      GrepHistoryInfo.Used = dialog.GrepHistoryInfo.Used;

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
  WriteGrep(ini, GetGrepInfo(), GetGrepOptions());
  WriteEditor(ini, EditorInfo);
  WriteShortCut(ini);
  KyGrepResult->SaveToIni(ini, "GrepResult");
  ini.UpdateFile();
}

}  // namespace tansa2
