#pragma once
// The main window: the search panel with its history fields, the directory
// panel, the tool bar, the result list and the status bar, the command list
// behind the menus, and the search run that fills the list.
#include <QMainWindow>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Feedback.h"
#include "session/GrepRun.h"
#include "session/ui/MainMenus.h"
#include "settings/SettingsGroups.h"
#include "settings/ShortCutTable.h"

class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;

namespace tansa2 {

class TIniFileEx;
struct TGrepOptions;
class TKyFlatDirView;
class TKyGrepResult;
class TKyHistoryComboBox;
class TResultHistoryController;
class TSearchPanel;
class TStatusBar;
namespace platform {
class TInstanceServer;
}

// The application's title: the window caption and the title of its message
// boxes.
QString ApplicationTitle();

// The window takes a search's results as its sink.
class TFormTS2Main : public QMainWindow, private TGrepSink {
  Q_OBJECT

 public:
  // `parameters`: the command line after the program name, in CP932:
  // directory, search string, file mask; empty ones are left out already.
  explicit TFormTS2Main(const std::vector<std::string>& parameters = {}, QWidget* parent = nullptr);
  ~TFormTS2Main() override;

  // The window font: a Japanese UI font when one is installed.
  static QFont DefaultFont();

  void ActionGrepStartExecute();
  void ActionGrepCancelExecute();

  // A second start: its command line, handed over as copy data, fills the
  // search fields; no search starts and the window stays where it is.
  void ReceiveCopyData(uint32_t identifier, std::string_view data);
  // A second start asks for the window: raised, activated, restored.
  void ComeForward();
  // The requests of second starts go to the two members above.
  void ServeSecondStarts(platform::TInstanceServer& server);

  // The editor command's image: the editor program's icon, or the built-in one.
  void ApplyEditorIcon();

  // The shortcuts of the commands the settings keep, by menu, for the
  // preferences dialog and back from it; section "ShortCut" of the settings
  // file (MainSettings.cpp).
  TShortCutTable GetShortCutTable() const;
  void ApplyShortCutTable(const TShortCutTable& table);
  void ReadShortCut(const TIniFileEx& ini);
  void WriteShortCut(TIniFileEx& ini) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Saves the settings and lets the window close, always; a running search
  // is cancelled.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateCommands();
  void CreateMenus();
  QWidget* CreateDirPanel();
  QWidget* CreateToolBar();
  void ApplyInitialFields(const std::vector<std::string>& parameters);

  // The settings file (MainSettings.cpp). Each read takes what the window
  // holds now as its defaults; firstStart_ tells whether there was none.
  void LoadSettings();
  // Throws platform::EInOutError when the file can't be written.
  void SaveSettings();
  void ReadForm(const TIniFileEx& ini);
  void WriteForm(TIniFileEx& ini) const;
  void SetDirPanelWidth(int width);
  void ApplyBasicInfo();
  void ApplyDirPanel();
  void ApplyGrep();

  bool Searching() const { return GrepRun.Busy(); }
  void BeginGrep();
  void EndGrep();
  void KyFindFileFind(std::string_view fileName);
  void KyGrepMatch(const TGrepHit& hit);
  // The search's sink: rows, the file just searched, and the run's errors.
  bool Matched(const TGrepHit& hit) override;
  bool FileEnded(std::string_view fileName, int hitCount) override;
  bool FileFailed(const TGrepFileError& error) override;
  void ProcessMessages();
  void KyGrepResultSelectData(int index);
  void ShowError(const std::string& cp932Message);

  void ActionFileExitExecute();
  void ActionResultClearExecute();
  void ActionResultSaveExecute();
  void ActionToolShowDirPanelExecute(bool checked);
  void ActionGrepRefreshDirExecute();
  void ActionToolShowToolBarExecute(bool checked);

  // Back (-1) or Forward (1) through the result history.
  void StepHistory(int step);
  void ActionResultClearHistoryExecute();

  // Opening a result in the editor (MainEditor.cpp).
  void ActionResultEditorExecute();

  // The preferences dialog (MainToolEnv.cpp): it edits copies of the
  // settings groups; OK applies them to the window at once and writes them.
  void ActionToolEnvExecute();
  void ApplyGrepResult(const TGrepResultInfo& info);
  // Sections BasicInfo, DirPanel, Grep, Editor, ShortCut and GrepResult;
  // throws platform::EInOutError when the file can't be written.
  void SaveToolEnvSettings();

  TGrepRun GrepRun{*this};
  bool grepAutoCode_ = false;             // of the running search
  std::optional<std::string> fileError_;  // the error that ended it, CP932
  TBasicInfo BasicInfo;
  TDirPanelInfo DirPanelInfo;
  TGrepInfo GrepInfo;
  TEditorInfo EditorInfo;
  uint32_t StartTick = 0;
  uint32_t lastPumpTick_ = 0;
  std::optional<platform::TWaitCursor> waitCursor_;
  QString lastSaveName_;
  bool shown_ = false;
  bool firstStart_ = false;  // no settings file was there to load
  uint32_t FormColor = 0x8000000F;  // clBtnFace
  // The directory panel's width when it was last on screen: the splitter
  // gives a hidden panel none.
  int dirPanelWidth_ = 0;
  bool closed_ = false;  // closed and not shown since: a search still running ends

  TCommandList Commands;
  // The menus of the menu bar: the shortcuts the settings keep, by menu.
  std::vector<TShortCutMenu> menus_;
  TKyCommand* ActionFileExit = nullptr;
  TKyCommand* ActionGrepStart = nullptr;
  TKyCommand* ActionGrepCancel = nullptr;
  TKyCommand* ActionGrepRefreshDir = nullptr;
  TKyCommand* ActionResultPrev = nullptr;
  TKyCommand* ActionResultNext = nullptr;
  TKyCommand* ActionResultEditor = nullptr;
  TKyCommand* ActionResultClear = nullptr;
  TKyCommand* ActionResultSave = nullptr;
  TKyCommand* ActionResultClearHistory = nullptr;
  TKyCommand* ActionToolEnv = nullptr;
  TKyCommand* ActionToolShowDirPanel = nullptr;
  TKyCommand* ActionToolShowToolBar = nullptr;
  TKyCommand* ActionHelpVersion = nullptr;

  QSplitter* Splitter1 = nullptr;
  QFrame* KyFlatPanelDir = nullptr;
  TKyFlatDirView* KyFlatDirView = nullptr;
  QWidget* KyFlatPanelToolBar = nullptr;
  QToolBar* ToolBarGrep = nullptr;
  TSearchPanel* PanelGrep = nullptr;
  TKyGrepResult* KyGrepResult = nullptr;
  QMenu* PopupMenuResult = nullptr;
  TStatusBar* PanelStatus = nullptr;
  TResultHistoryController* History = nullptr;
};

}  // namespace tansa2
