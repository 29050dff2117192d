#include "session/ui/FrTS2Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "controls/ui/Icons.h"
#include "controls/ui/KyFlatAboutDialog.h"
#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/Ticks.h"
#include "platform/ui/KeyCodes.h"
#include "platform/ui/QtText.h"
#include "results/QuietAbort.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/MainMenus.h"
#include "session/ui/ResultHistoryController.h"
#include "session/ui/SearchPanel.h"
#include "session/ui/StatusPanel.h"
#include "settings/ui/KyHistoryComboBox.h"

namespace tansa2 {
namespace {

using platform::NameFromQString;
using platform::NameToQString;
using platform::ToQString;
using Category = TCommandCategory;

constexpr int kDirPanelWidth = 153;
constexpr int kSplitterWidth = 4;
constexpr int kToolBarHeight = 28;
// The search pumps the event loop at most this often, so the engine keeps
// its speed while repaints and Esc still get through at once.
constexpr uint32_t kPumpIntervalMs = 15;

constexpr platform::TShortCut kVkF3 = 0x72, kVkEsc = 0x1B, kVkF5 = 0x74, kVkF10 = 0x79;
constexpr platform::TShortCut kCtrlLeft = 0x4025, kCtrlRight = 0x4027, kCtrlO = 0x404F,
                              kCtrlDel = 0x402E, kCtrlS = 0x4053;

QString CountText(int value) { return QString::fromLatin1(FormatCount(value)); }

}  // namespace

QString ApplicationTitle() { return QStringLiteral("TANSA2"); }

QFont TFormTS2Main::DefaultFont() {
  QFont font = QApplication::font();
  const QStringList families = QFontDatabase::families();
  for (const char* family : {"Noto Sans CJK JP", "IPAPGothic", "IPAGothic", "VL PGothic", "TakaoPGothic"}) {
    if (families.contains(QString::fromLatin1(family))) {
      font.setFamily(QString::fromLatin1(family));
      break;
    }
  }
  font.setPointSize(9);
  return font;
}

TFormTS2Main::TFormTS2Main(const std::vector<std::string>& parameters, QWidget* parent)
    : QMainWindow(parent) {
  setObjectName(QStringLiteral("TFormTS2Main"));
  setWindowTitle(ApplicationTitle());
  setFont(DefaultFont());

  CreateCommands();
  CreateMenus();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Splitter1 = new QSplitter(Qt::Horizontal, central);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(kSplitterWidth);
  Splitter1->setChildrenCollapsible(false);
  Splitter1->addWidget(CreateDirPanel());

  auto* right = new QWidget(Splitter1);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->setSpacing(0);
  rightLayout->addWidget(CreateToolBar());
  PanelGrep = new TSearchPanel;
  rightLayout->addWidget(PanelGrep);
  KyGrepResult = new TKyGrepResult(right);
  KyGrepResult->setObjectName(QStringLiteral("KyGrepResult"));
  KyGrepResult->SetWheelScrollLine(100);
  KyGrepResult->SetTitleWidths(0, 140);
  KyGrepResult->SetTitleWidths(1, 60);
  KyGrepResult->SetTitleWidths(2, 433);
  KyGrepResult->SetPopupMenu(PopupMenuResult);
  KyGrepResult->OnPopup = [this] { Commands.Refresh(Category::Result); };
  KyGrepResult->OnSelectData = [this](TKyGrepResult&, int index) { KyGrepResultSelectData(index); };
  // Also while a search runs: Enter and double-click don't ask the command.
  KyGrepResult->OnOpenEditor = [this] { ActionResultEditorExecute(); };
  rightLayout->addWidget(KyGrepResult, 1);
  Splitter1->addWidget(right);
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  dirPanelWidth_ = kDirPanelWidth;  // the splitter gets it with the settings

  layout->addWidget(Splitter1, 1);
  PanelStatus = new TStatusBar;
  layout->addWidget(PanelStatus);
  setCentralWidget(central);
  resize(800, 600);

  History = new TResultHistoryController(*KyGrepResult, *PanelGrep, this);
  History->OnPendingChanged = [this](bool pending) {
    ActionGrepStart->Action->setEnabled(!pending);
    // Back, Forward and clear history waited for the entry.
    if (!pending) Commands.Refresh(Category::Result);
  };

  GrepRun.SetProcessMessages([this] { ProcessMessages(); });

  // Inactive windows draw their selection differently.
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this] { KyGrepResult->viewport()->update(); });
  qApp->installEventFilter(this);

  KyFlatPanelDir->installEventFilter(this);
  LoadSettings();
  ApplyInitialFields(parameters);
}

TFormTS2Main::~TFormTS2Main() {
  qApp->removeEventFilter(this);
  // A window closed right after a search still gets that search's entry.
  History->FlushPending();
}

void TFormTS2Main::CreateCommands() {
  const auto idle = [this] { return !Searching(); };
  const auto hasRows = [this] { return !Searching() && KyGrepResult->DataCount() > 0; };
  using THandler = std::function<void(bool checked)>;
  const auto run = [this](void (TFormTS2Main::*handler)()) -> THandler {
    return [this, handler](bool) { (this->*handler)(); };
  };
  const auto add = [&](TKyCommand*& command, const char* name, const char* caption, const char* hint,
                       Category category, platform::TShortCut shortCut, std::function<bool()> rule,
                       std::optional<TCommandImage> image, THandler handler) {
    command = &Commands.Add(this, name, QString::fromUtf8(caption), QString::fromUtf8(hint),
                            category, shortCut, std::move(rule));
    if (image) command->Action->setIcon(CommandIcon(*image));
    connect(command->Action, &QAction::triggered, this, std::move(handler));
  };
  // The order of the list is the order in which a key press looks for its command.
  add(ActionFileExit, "ActionFileExit", "終了(&X)", "終了", Category::File, 0, idle, ciExit,
      run(&TFormTS2Main::ActionFileExitExecute));
  add(ActionGrepStart, "ActionGrepStart", "検索開始(&S)", "検索開始", Category::Grep, kVkF3, idle,
      ciGrepStart, run(&TFormTS2Main::ActionGrepStartExecute));
  add(ActionGrepCancel, "ActionGrepCancel", "検索中止(&C)", "検索中止", Category::Grep, kVkEsc,
      [this] { return Searching(); }, ciGrepCancel, run(&TFormTS2Main::ActionGrepCancelExecute));
  add(ActionGrepRefreshDir, "ActionGrepRefreshDir", "最新情報に更新(&R)",
      "ディレクトリツリーを最新情報に更新", Category::Grep, kVkF5, idle, ciRefreshDir,
      run(&TFormTS2Main::ActionGrepRefreshDirExecute));
  add(ActionResultPrev, "ActionResultPrev", "戻る(&B)", "戻る", Category::Result, kCtrlLeft,
      [this] { return !Searching() && History->CanStep(-1); }, ciResultPrev, [this](bool) { StepHistory(-1); });
  add(ActionResultNext, "ActionResultNext", "進む(&F)", "次へ", Category::Result, kCtrlRight,
      [this] { return !Searching() && History->CanStep(1); }, ciResultNext, [this](bool) { StepHistory(1); });
  add(ActionResultEditor, "ActionResultEditor", "エディタで開く(&O)", "エディタで開く",
      Category::Result, kCtrlO,
      [this] { return !Searching() && KyGrepResult->DataCount() > 0 && KyGrepResult->SelectedIndex() >= 0; },
      ciEditor, run(&TFormTS2Main::ActionResultEditorExecute));
  add(ActionResultClear, "ActionResultClear", "結果を消去(&C)", "結果を消去", Category::Result,
      kCtrlDel, hasRows, ciResultClear, run(&TFormTS2Main::ActionResultClearExecute));
  add(ActionResultSave, "ActionResultSave", "結果を保存(&S)...", "結果を保存", Category::Result,
      kCtrlS, hasRows, ciResultSave, run(&TFormTS2Main::ActionResultSaveExecute));
  add(ActionToolEnv, "ActionToolEnv", "環境設定(&E)...", "環境設定", Category::Tool, kVkF10, idle,
      ciToolEnv, run(&TFormTS2Main::ActionToolEnvExecute));
  add(ActionToolShowDirPanel, "ActionToolShowDirPanel", "ディレクトリパネル(&D)",
      "ディレクトリパネル", Category::Tool, 0, idle, ciDirPanel,
      [this](bool checked) { ActionToolShowDirPanelExecute(checked); });
  add(ActionToolShowToolBar, "ActionToolShowToolBar", "ツールバー(&T)", "ツールバー",
      Category::Tool, 0, idle, ciToolBar, [this](bool checked) { ActionToolShowToolBarExecute(checked); });
  add(ActionHelpVersion, "ActionHelpVersion", "バージョン情報(&A)...", "バージョン情報",
      Category::Help, 0, idle, std::nullopt, [this](bool) {
        TKyFlatAboutDialog about(this);
        about.TitleString = "Linux / Qt";
        about.Execute();
      });
  add(ActionResultClearHistory, "ActionResultClearHistory", "結果履歴を削除(&H)", "結果履歴を削除",
      Category::Result, 0, [this] { return !Searching() && History->CanClear(); }, std::nullopt,
      run(&TFormTS2Main::ActionResultClearHistoryExecute));

  ActionToolShowDirPanel->Action->setCheckable(true);
  ActionToolShowDirPanel->Action->setChecked(BasicInfo.ShowDirPanel);
  ActionToolShowToolBar->Action->setCheckable(true);
  ActionToolShowToolBar->Action->setChecked(BasicInfo.ShowToolBar);
}

void TFormTS2Main::CreateMenus() {
  menus_ = AddMenus(*this, Commands,
                    {{"ActionFilePopup", "ファイル(&F)", "ファイル", Category::File, {ActionFileExit}},
                     {"ActionGrepPopup", "検索(&G)", "検索", Category::Grep,
                      {ActionGrepStart, ActionGrepCancel, nullptr, ActionGrepRefreshDir}},
                     {"ActionResultPopup", "結果(&R)", "結果", Category::Result,
                      {ActionResultPrev, ActionResultNext, nullptr, ActionResultEditor, nullptr, ActionResultClear,
                       ActionResultSave, nullptr, ActionResultClearHistory}},
                     {"ActionToolPopup", "ツール(&T)", "ツール", Category::Tool,
                      {ActionToolEnv, nullptr, ActionToolShowDirPanel, ActionToolShowToolBar}},
                     {"ActionHelpPopup", "ヘルプ(&H)", "ヘルプ", Category::Help, {ActionHelpVersion}}});
  PopupMenuResult = new QMenu(this);
  PopupMenuResult->setObjectName(QStringLiteral("PopupMenuResult"));
  AddMenuItems(*PopupMenuResult,
               {ActionResultEditor, nullptr, ActionResultClear, ActionResultSave, nullptr, ActionResultClearHistory});
}

QWidget* TFormTS2Main::CreateDirPanel() {
  KyFlatPanelDir = new QFrame;
  KyFlatPanelDir->setObjectName(QStringLiteral("KyFlatPanelDir"));
  auto* layout = new QVBoxLayout(KyFlatPanelDir);
  layout->setContentsMargins(0, 0, 0, 0);
  KyFlatDirView = new TKyFlatDirView(KyFlatPanelDir);
  KyFlatDirView->setObjectName(QStringLiteral("KyFlatDirView"));
  KyFlatDirView->SetBorderColor(platform::clWindow);
  KyFlatDirView->SetNoBorder(true);
  KyFlatDirView->OnChange = [this](const std::string& path) {
    PanelGrep->KyFlatComboBoxExGrepDir->SetText(path);
  };
  layout->addWidget(KyFlatDirView);
  KyFlatPanelDir->resize(kDirPanelWidth, KyFlatPanelDir->height());
  return KyFlatPanelDir;
}

QWidget* TFormTS2Main::CreateToolBar() {
  KyFlatPanelToolBar = new QWidget;
  KyFlatPanelToolBar->setObjectName(QStringLiteral("KyFlatPanelToolBar"));
  KyFlatPanelToolBar->setFixedHeight(kToolBarHeight);
  auto* layout = new QVBoxLayout(KyFlatPanelToolBar);
  layout->setContentsMargins(2, 0, 2, 0);
  ToolBarGrep = new QToolBar(KyFlatPanelToolBar);
  ToolBarGrep->setObjectName(QStringLiteral("ToolBarGrep"));
  ToolBarGrep->setIconSize(QSize(16, 16));
  ToolBarGrep->setMovable(false);
  ToolBarGrep->setFloatable(false);
  ToolBarGrep->setToolButtonStyle(Qt::ToolButtonIconOnly);
  AddMenuItems(*ToolBarGrep, {ActionGrepStart, ActionGrepCancel, nullptr, ActionGrepRefreshDir, nullptr,
                              ActionResultPrev, ActionResultNext, nullptr, ActionResultEditor, ActionResultClear,
                              ActionResultSave, nullptr, ActionToolEnv, ActionToolShowDirPanel});
  layout->addWidget(ToolBarGrep, 0, Qt::AlignVCenter);
  return KyFlatPanelToolBar;
}

void TFormTS2Main::ApplyInitialFields(const std::vector<std::string>& parameters) {
  KyFlatDirView->Rebuild();
  TGrepParam initial;
  initial.GrepDir = DirPanelInfo.InitialDir;
  initial = PanelGrep->NewestTexts(GrepInfo, initial);
  // Command-line values replace those defaults as they are, untrimmed.
  const auto parameter = [&](size_t index, std::string& value) {
    if (index < parameters.size() && !parameters[index].empty()) value = parameters[index];
  };
  // At a first start the first search needs no mask typed.
  if (firstStart_) initial.FileMask = "*.*";
  parameter(0, initial.GrepDir);
  parameter(2, initial.FileMask);
  // The search string comes in the name form (session/HandOff.h), so that
  // a character CP932 lacks shows as typed and the search refuses it.
  if (parameters.size() > 1 && !parameters[1].empty())
    PanelGrep->KyFlatComboBoxExGrepStr->setEditText(platform::TextInNameFormToQString(parameters[1]));
  else
    PanelGrep->KyFlatComboBoxExGrepStr->SetText(initial.GrepStr);
  // The directory field follows the tree: a directory the tree can't
  // select leaves it empty.
  KyFlatDirView->SetSelectedDir(initial.GrepDir);
  PanelGrep->KyFlatComboBoxExGrepFileMask->SetText(initial.FileMask);
  PanelGrep->KyFlatComboBoxExGrepDirMask->SetText(initial.DirMask);
}

void TFormTS2Main::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  closed_ = false;
  if (shown_) return;
  shown_ = true;
  TKyHistoryComboBox* empty = PanelGrep->FirstEmptyField();
  (empty ? empty : PanelGrep->KyFlatComboBoxExGrepStr)->setFocus();
  for (Category category : {Category::File, Category::Grep, Category::Result, Category::Tool})
    Commands.Refresh(category);
}

// Closing is never refused: a search still running is cancelled rather than
// left to finish unseen, and settings that can't be written are reported
// while the file on disk stays as it was.
void TFormTS2Main::closeEvent(QCloseEvent* event) {
  closed_ = true;
  if (Searching()) GrepRun.Cancel();
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
  event->accept();
}

bool TFormTS2Main::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (watched == KyFlatPanelDir && KyFlatPanelDir->isVisible()) dirPanelWidth_ = KyFlatPanelDir->width();
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (Commands.Dispatch(platform::ShortCutFromKeyEvent(*key))) return true;
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  // Enter in the search panel or the tree starts a search, except in a field
  // whose list is dropped down: that Enter picks the entry.
  const auto within = [widget](QWidget* control) { return widget == control || control->isAncestorOf(widget); };
  for (TKyHistoryComboBox* box : PanelGrep->Fields())
    if (within(box) && box->DroppedDown()) return false;
  const auto controls = PanelGrep->Controls();
  if (!within(KyFlatDirView) && std::none_of(controls.begin(), controls.end(), within)) return false;
  ActionGrepStartExecute();
  return true;
}

void TFormTS2Main::ActionGrepStartExecute() {
  if (Searching()) return;
  // An entry still waiting is written from the fields and rows it belongs to.
  History->FlushPending();
  TGrepParam param = PanelGrep->ReadGrepParam();
  if (QString refusal; !PanelGrep->CheckGrepInput(param, refusal)) {
    if (!refusal.isEmpty()) PanelStatus->KyFlatPanelStatus->SetText(refusal);
    return;
  }
  GrepRun.Prepare(param);
  grepAutoCode_ = param.AutoCode;
  fileError_.reset();
  std::optional<std::string> error;
  try {
    BeginGrep();
    GrepRun.SearchMasks(param.FileMask);
    error = std::move(fileError_);
  } catch (const std::exception& e) {
    error = e.what();
  }
  EndGrep();
  if (error) {
    ShowError(*error);
  } else if (GrepRun.HitCount() > 0 && History->Info.Used) {
    History->Add();
  }
  Commands.Refresh(Category::Result);
}

void TFormTS2Main::ActionGrepCancelExecute() { GrepRun.Cancel(); }

void TFormTS2Main::BeginGrep() {
  // Busy first: the repaint below must not let a queued F3 start a second
  // run inside this one.
  GrepRun.SetBusy(true);
  KyFlatPanelDir->setEnabled(false);
  PanelGrep->setEnabled(false);
  KyGrepResult->ClearData();
  QCoreApplication::processEvents();
  KyGrepResult->BeginUpdate();
  waitCursor_.emplace();
  StartTick = platform::GetTickCount();
  lastPumpTick_ = StartTick;
  Commands.RefreshAll();
  PanelStatus->KyFlatPanelStatus->SetText(QStringLiteral("検索中 ..."));
}

void TFormTS2Main::EndGrep() {
  GrepRun.SetBusy(false);
  KyFlatPanelDir->setEnabled(true);
  PanelGrep->setEnabled(true);
  const uint32_t elapsed = platform::GetTickCount() - StartTick;
  PanelStatus->KyFlatPanelStatus->SetText(ToQString(GrepSummaryText(GrepRun.HitCount(), elapsed)));
  KyGrepResult->EndUpdate();
  KyGrepResult->setFocus();
  waitCursor_.reset();
  KyGrepResultSelectData(KyGrepResult->SelectedIndex());
  Commands.RefreshAll();
}

void TFormTS2Main::KyFindFileFind(std::string_view fileName) {
  if (BasicInfo.ShowInProgress & 2)
    PanelStatus->KyFlatPanelStatus->SetText(QStringLiteral("検索中 (") + NameToQString(fileName) + QStringLiteral(") ..."));
}

void TFormTS2Main::KyGrepMatch(const TGrepHit& hit) { KyGrepResult->AddData(hit); }

bool TFormTS2Main::Matched(const TGrepHit& hit) {
  KyGrepMatch(hit);
  return true;
}

bool TFormTS2Main::FileEnded(std::string_view fileName, int) {
  KyFindFileFind(fileName.substr(fileName.rfind('/') + 1));
  return true;
}

// Read raw, a file that can't be opened is passed over like a binary one,
// and a directory that can't be listed ends its walk without a word; any
// other failure ends the run and is shown.
bool TFormTS2Main::FileFailed(const TGrepFileError& error) {
  if (error.Stage == TGrepFileError::feList) return true;
  if (error.Stage == TGrepFileError::feOpen && !grepAutoCode_) return true;
  fileError_.emplace(error.Message);
  return false;
}

void TFormTS2Main::ProcessMessages() {
  // A search must not outlive its closed window unseen.
  if (closed_) GrepRun.Cancel();
  const uint32_t now = platform::GetTickCount();
  if (now - lastPumpTick_ < kPumpIntervalMs) return;
  lastPumpTick_ = now;
  // The running hit count changes on screen only here, so it is formatted
  // here rather than after every hit.
  if ((BasicInfo.ShowInProgress & 1) && GrepRun.HitCount() > 0)
    PanelStatus->KyFlatPanelIndex->SetText(CountText(GrepRun.HitCount()));
  QCoreApplication::processEvents();
}

// The row number of the selection; nothing while the list has no rows.
void TFormTS2Main::KyGrepResultSelectData(int index) {
  PanelStatus->KyFlatPanelIndex->SetText(KyGrepResult->DataCount() > 0 ? CountText(index + 1) : QString());
}

// Messages name files: the names show their true characters.
void TFormTS2Main::ShowError(const std::string& cp932Message) {
  QMessageBox::critical(this, ApplicationTitle(), NameToQString(cp932Message));
}

void TFormTS2Main::ActionFileExitExecute() { close(); }

void TFormTS2Main::ActionResultClearExecute() {
  // The rows of a waiting history entry are kept first.
  History->FlushPending();
  KyGrepResult->ClearData();
  PanelStatus->KyFlatPanelStatus->SetText(QString());
  Commands.Refresh(Category::Result);
}

void TFormTS2Main::ActionResultSaveExecute() {
  KyGrepResult->viewport()->update();
  const QString name = QFileDialog::getSaveFileName(
      this, QStringLiteral("名前を付けて保存"), lastSaveName_,
      QStringLiteral("すべてのファイル (*)"));
  if (!name.isEmpty()) {
    lastSaveName_ = name;
    try {
      const platform::TWaitCursor waitCursor;
      repaint();
      KyGrepResult->viewport()->repaint();
      KyGrepResult->SaveToFile(NameFromQString(name));
    } catch (const EQuietAbort&) {
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
  }
  Commands.Refresh(Category::Result);
  KyGrepResult->viewport()->update();
}

void TFormTS2Main::StepHistory(int step) {
  if (!Searching() && History->Step(step)) Commands.Refresh(Category::Result);
}

void TFormTS2Main::ActionResultClearHistoryExecute() {
  if (!Searching() && History->Clear()) Commands.Refresh(Category::Result);
}

void TFormTS2Main::ActionToolShowDirPanelExecute(bool checked) {
  KyFlatPanelDir->setVisible(checked);
  Splitter1->handle(1)->setEnabled(checked);
  BasicInfo.ShowDirPanel = checked;
}

// Folders created or removed since the tree was filled show up, and the
// field's folder is selected again.
void TFormTS2Main::ActionGrepRefreshDirExecute() {
  const std::string dir = PanelGrep->KyFlatComboBoxExGrepDir->Text();
  KyFlatDirView->Rebuild();
  KyFlatDirView->SetSelectedDir(dir);
}

void TFormTS2Main::ActionToolShowToolBarExecute(bool checked) {
  KyFlatPanelToolBar->setVisible(checked);
  BasicInfo.ShowToolBar = checked;
}

}  // namespace tansa2
