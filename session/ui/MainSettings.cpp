// The main window's side of the settings file: reading it at start, writing
// it at close, and applying the values to the window.
#include <QApplication>
#include <QScreen>
#include <QSplitter>
#include <algorithm>
#include <filesystem>

#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/NameForm.h"
#include "platform/TemporaryFileNames.h"
#include "platform/ui/Colors.h"
#include "platform/ui/QtText.h"
#include "results/CommaText.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "session/ui/ResultHistoryController.h"
#include "settings/IniFileEx.h"
#include "settings/Locations.h"
#include "settings/SettingsSections.h"
#include "settings/ShortCutTable.h"
#include "settings/ShortCutText.h"
#include "settings/ui/FontInfo.h"
#include "settings/ui/GrepResultSettings.h"
#include "session/ui/SearchPanel.h"

namespace tansa2 {
namespace {

using platform::FromQString;

constexpr std::string_view kShortCutSection = "ShortCut";

enum : int32_t { kWindowNormal = 0, kWindowMinimized = 1, kWindowMaximized = 2 };

// A window whose title bar no screen shows (its monitor was unplugged, or
// the desktop got smaller) comes back to the top-left of the primary
// screen, no larger than that screen: otherwise it would open where nobody
// can reach it.
void KeepOnScreen(QWidget& window) {
  constexpr int kTitleHeight = 24;
  constexpr QSize kGraspable(48, 8);
  const QRect titleBar(window.pos(), QSize(window.width(), kTitleHeight));
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect shown = screen->availableGeometry().intersected(titleBar);
    if (shown.width() >= kGraspable.width() && shown.height() >= kGraspable.height()) return;
  }
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  window.resize(window.size().boundedTo(area.size()));
  window.move(area.topLeft());
}

// The window placement's section is named after the application.
std::string FormSection() { return FromQString(ApplicationTitle()); }

// A command's key in section "ShortCut": its name without "Action".
std::string ShortCutKey(const TKyCommand& command) {
  const std::string name = FromQString(command.Action->objectName());
  return name.substr(std::string_view("Action").size());
}

}  // namespace

void TFormTS2Main::LoadSettings() {
  const std::string iniFileName = GetIniFileName();
  // Saves that a killed process cut short left their temporary files here.
  for (const std::string& folder : {iniFileName.substr(0, iniFileName.rfind('/')), GetTmpDir()})
    platform::RemoveStaleTemporaryFiles(folder);
  std::error_code error;
  firstStart_ = !std::filesystem::exists(platform::NativePath(iniFileName), error);
  const TIniFileEx ini(iniFileName);
  ReadForm(ini);
  BasicInfo = ReadBasicInfo(ini, BasicInfo);

  // Until the tree has a font of its own it shows the window's.
  TDirPanelInfo dirPanel = DirPanelInfo;
  dirPanel.Font = BasicInfo.Font;
  dirPanel.InitialDir = KyFlatDirView->GetSelectedDir();
  int32_t width = dirPanelWidth_;
  DirPanelInfo = ReadDirPanel(ini, dirPanel, width);
  SetDirPanelWidth(width);

  TGrepOptions options = PanelGrep->ReadGrepOptions();
  GrepInfo = ReadGrep(ini, GrepInfo, options);
  PanelGrep->ApplyGrepOptions(options);

  History->Info = ReadGrepHistory(ini);
  EditorInfo = ReadEditor(ini, EditorInfo);
  ReadShortCut(ini);
  ApplyGrepResultSettings(*KyGrepResult, ReadGrepResult(ini, GrepResultSettings(*KyGrepResult)));

  ApplyBasicInfo();
  ApplyDirPanel();
  ApplyGrep();
  ApplyEditorIcon();
}

void TFormTS2Main::SaveSettings() {
  TIniFileEx ini(GetIniFileName());
  WriteForm(ini);
  WriteBasicInfo(ini, BasicInfo);
  WriteDirPanel(ini, DirPanelInfo, dirPanelWidth_);

  WriteGrep(ini, PanelGrep->ReadGrepInfo(GrepInfo), PanelGrep->ReadGrepOptions());

  WriteGrepHistory(ini, History->Info);
  ini.UpdateFile();
}

// Position, size, background, font and state, each set at once: the result
// list and the tree take the window's font as the default of their own.
void TFormTS2Main::ReadForm(const TIniFileEx& ini) {
  TFormPlacement current;
  current.Width = width();
  current.Height = height();
  current.Color = FormColor;
  current.Font = WidgetFontInfo(*this);
  const TFormPlacement placement = ini.ReadForm(FormSection(), current);

  // The normal bounds come first, so that a maximised window has them to
  // return to.
  move(placement.Left, placement.Top);
  resize(placement.Width, placement.Height);
  KeepOnScreen(*this);
  FormColor = placement.Color;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, platform::ToQColor(FormColor, QApplication::palette(this)));
  setPalette(palette);
  BasicInfo.Font = placement.Font;
  ApplyFontInfo(*this, BasicInfo.Font);
  if (placement.WindowState == kWindowMaximized) setWindowState(Qt::WindowMaximized);
  else if (placement.WindowState == kWindowMinimized) setWindowState(Qt::WindowMinimized);
}

void TFormTS2Main::WriteForm(TIniFileEx& ini) const {
  TFormPlacement placement;
  placement.Top = y();
  placement.Left = x();
  placement.Width = width();
  placement.Height = height();
  placement.Color = FormColor;
  placement.Font = BasicInfo.Font;
  placement.WindowState = isMinimized() ? kWindowMinimized : isMaximized() ? kWindowMaximized : kWindowNormal;
  ini.WriteForm(FormSection(), placement);
}

// The rest of the window goes to the right side, which also takes every
// later change of the window's width.
void TFormTS2Main::SetDirPanelWidth(int width) {
  dirPanelWidth_ = width;
  KyFlatPanelDir->resize(width, KyFlatPanelDir->height());
  Splitter1->setSizes({width, std::max(this->width() - width - Splitter1->handleWidth(), 0)});
}

void TFormTS2Main::ApplyBasicInfo() {
  ApplyFontInfo(*this, BasicInfo.Font);
  // The two commands keep the group and the panels in step.
  ActionToolShowToolBar->Action->setChecked(BasicInfo.ShowToolBar);
  ActionToolShowToolBarExecute(BasicInfo.ShowToolBar);
  ActionToolShowDirPanel->Action->setChecked(BasicInfo.ShowDirPanel);
  ActionToolShowDirPanelExecute(BasicInfo.ShowDirPanel);
}

void TFormTS2Main::ApplyDirPanel() { ApplyFontInfo(*KyFlatDirView, DirPanelInfo.Font); }

void TFormTS2Main::ApplyGrep() {
  PanelGrep->ApplyGrepInfo(GrepInfo);
  GrepRun.NoFileExtList.Assign(GrepInfo.NoFileExt);
  GrepRun.MaxFileSize = GrepInfo.MaxFileSize;
}

void TFormTS2Main::ReadShortCut(const TIniFileEx& ini) {
  for (const TShortCutMenu& menu : menus_) {
    for (TKyCommand* command : menu.Commands) {
      const std::string designed = FormatShortCut(command->ShortCut);
      SetActionShortCutText(*command, ini.ReadString(kShortCutSection, ShortCutKey(*command), designed));
    }
  }
}

void TFormTS2Main::WriteShortCut(TIniFileEx& ini) const {
  for (const TShortCutMenu& menu : menus_)
    for (const TKyCommand* command : menu.Commands)
      ini.WriteString(kShortCutSection, ShortCutKey(*command), GetActionShortCutText(*command));
}

TShortCutTable TFormTS2Main::GetShortCutTable() const {
  TShortCutTable table;
  const std::vector<TShortCutMenu>& menus = menus_;
  table.CategoryCount = static_cast<int32_t>(menus.size());
  for (size_t i = 0; i < menus.size(); ++i) {
    TShortCutCategory& category = table.Categories[i];
    category.Name = FromQString(menus[i].Popup->toolTip());
    category.Count = static_cast<int32_t>(menus[i].Commands.size());
    for (size_t j = 0; j < menus[i].Commands.size(); ++j) {
      const TKyCommand& command = *menus[i].Commands[j];
      category.Commands[j] = {FromQString(command.Hint), GetActionShortCutText(command)};
    }
  }
  return table;
}

void TFormTS2Main::ApplyShortCutTable(const TShortCutTable& table) {
  const std::vector<TShortCutMenu>& menus = menus_;
  for (size_t i = 0; i < menus.size(); ++i)
    for (size_t j = 0; j < menus[i].Commands.size(); ++j)
      SetActionShortCutText(*menus[i].Commands[j], table.Categories[i].Commands[j].ShortCuts);
}

}  // namespace tansa2
