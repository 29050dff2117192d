#include "settings/ui/FrToolEnv.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <iterator>

#include "controls/ui/ColorPickerButton.h"
#include "controls/ui/KyFlatFontNameComboBoxEx.h"
#include "controls/ui/KyFlatFontSizeComboBoxEx.h"
#include "controls/ui/KyFlatSpinEditInteger.h"
#include "dirpanel/ui/KyFlatSelectFolder.h"
#include "platform/ui/KeyCodes.h"
#include "platform/ui/QtText.h"
#include "results/CommaText.h"
#include "settings/ui/FrCmdLineHelp.h"
#include "settings/ToolEnvCheck.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "settings/ui/ShortCutPage.h"

namespace tansa2 {
namespace {

using platform::NameFromQString;
using platform::NameToQString;
using platform::ToQString;

constexpr int kClientWidth = 593;
constexpr int kClientHeight = 433;
constexpr platform::TShortCut kCtrlTab = 0x4009;
constexpr int kMaxHistory = 128;
constexpr int kMaxWheelScrollLine = 1000;
constexpr int kMaxFileSize = 999;
constexpr int kFileSizeDigits = 3;

// Japanese font names are long; the pickers share the width they are given
// instead of widening the page.
constexpr int kFontNameChars = 8;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Label(const char* caption, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(Text(caption), parent);
  label->setBuddy(buddy);
  return label;
}

QCheckBox* CheckBox(const char* name, const char* caption, QWidget* parent) {
  return Named(new QCheckBox(Text(caption), parent), name);
}

TKyFlatFontNameComboBoxEx* FontNamePicker(const char* name, QWidget* parent) {
  auto* picker = Named(new TKyFlatFontNameComboBoxEx(parent), name);
  picker->SetOnlyTrueTypeFonts(true);
  picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  picker->setMinimumContentsLength(kFontNameChars);
  return picker;
}

// "フォント" [name] "サイズ" [size] in one row of `grid`.
void AddFontRow(QGridLayout* grid, int row, TKyFlatFontNameComboBoxEx* name, TKyFlatFontSizeComboBoxEx* size,
                const char* sizeCaption, QWidget* parent) {
  grid->addWidget(Label("フォント", name, parent), row, 0);
  auto* line = new QHBoxLayout;
  line->addWidget(name, 1);
  if (sizeCaption) line->addWidget(Label(sizeCaption, size, parent));
  line->addWidget(size);
  grid->addLayout(line, row, 1);
}

// The entries of the history list, as the program's bytes they came from.
std::vector<std::string> ListEntries(const QListWidget& list) {
  std::vector<std::string> entries;
  for (int row = 0; row < list.count(); ++row)
    entries.push_back(list.item(row)->data(Qt::UserRole).toByteArray().toStdString());
  return entries;
}

// The history kind's drop-down rows: the font's height plus 6 pixels.
class TKindRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), option.fontMetrics.height() + 6};
  }
};

}  // namespace

TFormToolEnv::TFormToolEnv(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormToolEnv"));
  setWindowTitle(Text("環境設定"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  if (parent) setFont(parent->font());

  ActionTabChange = Named(new QAction(this), "ActionTabChange");
  connect(ActionTabChange, &QAction::triggered, this, &TFormToolEnv::ActionTabChangeExecute);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  KyFlatPagesEnv = Named(new QTabWidget(this), "KyFlatPagesEnv");
  KyFlatPagesEnv->addTab(CreateBasicPage1(), Text("基本設定１"));
  KyFlatPagesEnv->addTab(CreateBasicPage2(), Text("基本設定２"));
  ShortCutPage = Named(new TShortCutPage(KyFlatPagesEnv), "ShortCutPage");
  ShortCutPage->OnCaptureChange = [this](bool capturing) { ShortCutCaptureChange(capturing); };
  KyFlatPagesEnv->addTab(ShortCutPage, Text("ショートカット設定"));
  layout->addWidget(KyFlatPagesEnv, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  KyFlatButtonOk = Named(new QPushButton(Text("設定"), this), "KyFlatButtonOk");
  KyFlatButtonOk->setDefault(true);
  KyFlatButtonCancel = Named(new QPushButton(Text("キャンセル"), this), "KyFlatButtonCancel");
  buttons->addWidget(KyFlatButtonOk);
  buttons->addWidget(KyFlatButtonCancel);
  layout->addLayout(buttons);
  connect(KyFlatButtonOk, &QPushButton::clicked, this, &TFormToolEnv::KyFlatButtonOkClick);
  connect(KyFlatButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  BindFields();

  qApp->installEventFilter(this);
}

TFormToolEnv::~TFormToolEnv() { qApp->removeEventFilter(this); }

QWidget* TFormToolEnv::CreateBasicPage1() {
  auto* page = Named(new QWidget, "TabSheetBasic1");
  auto* layout = new QGridLayout(page);

  KyFlatComboBoxExEditorExeName = Named(new TKyHistoryComboBox(page), "KyFlatComboBoxExEditorExeName");
  KyFlatComboBoxExEditorExeName->SetHoldsNames(true);
  KyFlatButtonEditorProgram = Named(new QPushButton(QStringLiteral("..."), page), "KyFlatButtonEditorProgram");
  KyFlatComboBoxExEditorCmdLine = Named(new TKyHistoryComboBox(page), "KyFlatComboBoxExEditorCmdLine");
  KyFlatBitBtnEditorCmdLine = Named(new QToolButton(page), "KyFlatBitBtnEditorCmdLine");
  KyFlatBitBtnEditorCmdLine->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
  KyFlatBitBtnEditorCmdLine->setToolTip(Text("起動パラメータのヘルプ"));
  const int fieldHeight = KyFlatComboBoxExEditorExeName->sizeHint().height();
  KyFlatButtonEditorProgram->setFixedSize(fieldHeight + 8, fieldHeight);
  KyFlatBitBtnEditorCmdLine->setFixedSize(fieldHeight + 8, fieldHeight);
  layout->addWidget(Label("エディタプログラム", KyFlatComboBoxExEditorExeName, page), 0, 0);
  layout->addWidget(KyFlatComboBoxExEditorExeName, 0, 1);
  layout->addWidget(KyFlatButtonEditorProgram, 0, 2);
  layout->addWidget(Label("起動パラメータ", KyFlatComboBoxExEditorCmdLine, page), 1, 0);
  layout->addWidget(KyFlatComboBoxExEditorCmdLine, 1, 1);
  layout->addWidget(KyFlatBitBtnEditorCmdLine, 1, 2);
  connect(KyFlatButtonEditorProgram, &QPushButton::clicked, this, &TFormToolEnv::KyFlatButtonEditorProgramClick);
  connect(KyFlatBitBtnEditorCmdLine, &QToolButton::clicked, this, &TFormToolEnv::KyFlatBitBtnEditorCmdLineClick);

  auto* left = new QVBoxLayout;
  auto* basic = Named(new QGroupBox(Text("基本情報"), page), "KyFlatGroupBoxBasic");
  auto* basicGrid = new QGridLayout(basic);
  KyFlatFontNameComboBoxExBasic = FontNamePicker("KyFlatFontNameComboBoxExBasic", basic);
  KyFlatFontSizeComboBoxExBasic = Named(new TKyFlatFontSizeComboBoxEx(basic), "KyFlatFontSizeComboBoxExBasic");
  AddFontRow(basicGrid, 0, KyFlatFontNameComboBoxExBasic, KyFlatFontSizeComboBoxExBasic, "サイズ", basic);
  KyFlatCheckBoxShowProgressCount = CheckBox("KyFlatCheckBoxShowProgressCount", "検索数を表示する", basic);
  KyFlatCheckBoxShowProgressFile = CheckBox("KyFlatCheckBoxShowProgressFile", "検索ファイルを表示する", basic);
  basicGrid->addWidget(KyFlatCheckBoxShowProgressCount, 1, 0, 1, 2);
  basicGrid->addWidget(KyFlatCheckBoxShowProgressFile, 2, 0, 1, 2);
  left->addWidget(basic);

  auto* dirPanel = Named(new QGroupBox(Text("ディレクトリパネル情報"), page), "KyFlatGroupBoxDirPanel");
  auto* dirGrid = new QGridLayout(dirPanel);
  KyFlatFontNameComboBoxExDirPanel = FontNamePicker("KyFlatFontNameComboBoxExDirPanel", dirPanel);
  KyFlatFontSizeComboBoxExDirPanel = Named(new TKyFlatFontSizeComboBoxEx(dirPanel), "KyFlatFontSizeComboBoxExDirPanel");
  AddFontRow(dirGrid, 0, KyFlatFontNameComboBoxExDirPanel, KyFlatFontSizeComboBoxExDirPanel, "サイズ", dirPanel);
  KyFlatEditInitialDir = Named(new QLineEdit(dirPanel), "KyFlatEditInitialDir");
  KyFlatButtonInitialDir = Named(new QPushButton(QStringLiteral("..."), dirPanel), "KyFlatButtonInitialDir");
  dirGrid->addWidget(Label("起動時ディレクトリ", KyFlatEditInitialDir, dirPanel), 1, 0, 1, 2);
  // The button stands over the row's right end, where the edit leaves room.
  auto* dirLine = new QHBoxLayout;
  dirLine->setSpacing(0);
  dirLine->addWidget(KyFlatEditInitialDir, 1);
  dirLine->addSpacing(KyFlatEditInitialDir->sizeHint().height() - 1);
  dirGrid->addLayout(dirLine, 2, 0, 1, 2);
  KyFlatEditInitialDir->installEventFilter(this);
  connect(KyFlatButtonInitialDir, &QPushButton::clicked, this, &TFormToolEnv::KyFlatButtonInitialDirClick);
  left->addWidget(dirPanel);
  left->addStretch(1);
  layout->addLayout(left, 2, 0, 1, 2);

  auto* grep = Named(new QGroupBox(Text("検索条件"), page), "KyFlatGroupBoxGrep");
  auto* grepGrid = new QGridLayout(grep);
  KyFlatCheckBoxGrepAutoComplete = CheckBox("KyFlatCheckBoxGrepAutoComplete", "自動補完機能を有効にする", grep);
  grepGrid->addWidget(KyFlatCheckBoxGrepAutoComplete, 0, 0, 1, 3);
  KyFlatSpinEditIntegerGrepHistory =
      Named(new TKyFlatSpinEditInteger(0, kMaxHistory, grep), "KyFlatSpinEditIntegerGrepHistory");
  grepGrid->addWidget(Label("履歴数", KyFlatSpinEditIntegerGrepHistory, grep), 1, 0);
  grepGrid->addWidget(KyFlatSpinEditIntegerGrepHistory, 1, 1);
  KyFlatComboBoxExGrepHistory = Named(new QComboBox(grep), "KyFlatComboBoxExGrepHistory");
  KyFlatComboBoxExGrepHistory->setItemDelegate(new TKindRowDelegate(KyFlatComboBoxExGrepHistory));
  for (const char* kind : {"検索文字列", "検索ディレクトリ", "ファイルマスク", "ディレクトリマスク"})
    KyFlatComboBoxExGrepHistory->addItem(Text(kind));
  grepGrid->addWidget(Label("検索履歴", KyFlatComboBoxExGrepHistory, grep), 2, 0);
  grepGrid->addWidget(KyFlatComboBoxExGrepHistory, 2, 1, 1, 2);
  KyFlatListBoxGrepHistory = Named(new QListWidget(grep), "KyFlatListBoxGrepHistory");
  KyFlatListBoxGrepHistory->setSelectionMode(QAbstractItemView::ExtendedSelection);
  KyFlatListBoxGrepHistory->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grepGrid->addWidget(KyFlatListBoxGrepHistory, 3, 0, 1, 3);
  grepGrid->setRowStretch(3, 1);
  KyFlatButtonGrepHistoryDelete = Named(new QPushButton(Text("削除"), grep), "KyFlatButtonGrepHistoryDelete");
  grepGrid->addWidget(KyFlatButtonGrepHistoryDelete, 4, 2);
  KyFlatEditNoFileExt = Named(new QLineEdit(grep), "KyFlatEditNoFileExt");
  grepGrid->addWidget(Label("除外するファイル拡張子", KyFlatEditNoFileExt, grep), 5, 0, 1, 3);
  grepGrid->addWidget(KyFlatEditNoFileExt, 6, 0, 1, 3);
  grepGrid->setColumnStretch(1, 1);
  connect(KyFlatComboBoxExGrepHistory, &QComboBox::currentIndexChanged, this,
          &TFormToolEnv::KyFlatComboBoxExGrepHistoryChange);
  connect(KyFlatListBoxGrepHistory, &QListWidget::itemSelectionChanged, this,
          &TFormToolEnv::KyFlatListBoxGrepHistoryClick);
  connect(KyFlatButtonGrepHistoryDelete, &QPushButton::clicked, this,
          &TFormToolEnv::KyFlatButtonGrepHistoryDeleteClick);
  layout->addWidget(grep, 2, 2);

  layout->setColumnStretch(1, 1);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(2, 1);
  return page;
}

QWidget* TFormToolEnv::CreateBasicPage2() {
  auto* page = Named(new QWidget, "TabSheetBasic2");
  auto* layout = new QHBoxLayout(page);

  auto* result = Named(new QGroupBox(Text("検索結果"), page), "KyFlatGroupBoxGrepResultWheelScrollLine");
  auto* resultGrid = new QGridLayout(result);
  KyFlatFontNameComboBoxExGrepResult = FontNamePicker("KyFlatFontNameComboBoxExGrepResult", result);
  KyFlatFontSizeComboBoxExGrepResult =
      Named(new TKyFlatFontSizeComboBoxEx(result), "KyFlatFontSizeComboBoxExGrepResult");
  AddFontRow(resultGrid, 0, KyFlatFontNameComboBoxExGrepResult, KyFlatFontSizeComboBoxExGrepResult, nullptr, result);

  auto* colors = new QGridLayout;
  const auto picker = [&](TColorPickerButton*& button, const char* name, const char* caption, int row, int col) {
    button = Named(new TColorPickerButton(result), name);
    colors->addWidget(Label(caption, button, result), row, col * 2);
    colors->addWidget(button, row, col * 2 + 1);
  };
  picker(ColorPickerButtonGrepResultFont, "ColorPickerButtonGrepResultFont", "文字色", 0, 0);
  picker(ColorPickerButtonGrepResultBk, "ColorPickerButtonGrepResultBk", "背景色", 0, 1);
  picker(ColorPickerButtonGrepResultSel, "ColorPickerButtonGrepResultSel", "選択時文字色", 1, 0);
  picker(ColorPickerButtonGrepResultSelBk, "ColorPickerButtonGrepResultSelBk", "選択時背景色", 1, 1);
  picker(ColorPickerButtonGrepResultMatch, "ColorPickerButtonGrepResultMatch", "検索語文字色", 2, 0);
  picker(ColorPickerButtonGrepResultMatchBk, "ColorPickerButtonGrepResultMatchBk", "検索語背景色", 2, 1);
  resultGrid->addLayout(colors, 1, 0, 1, 2);

  int row = 2;
  const auto box = [&](QCheckBox*& check, const char* name, const char* caption) {
    check = CheckBox(name, caption, result);
    resultGrid->addWidget(check, row++, 0, 1, 2);
  };
  box(KyFlatCheckBoxGrepResultDoubleBuffered, "KyFlatCheckBoxGrepResultDoubleBuffered", "スクロール時のちらつきを軽減する");
  box(KyFlatCheckBoxGrepResultShowGridLine, "KyFlatCheckBoxGrepResultShowGridLine", "グリッド線を表示する");
  box(KyFlatCheckBoxGrepResultShowFileNameOnly, "KyFlatCheckBoxGrepResultShowFileNameOnly", "ファイル名のみ表示する");
  box(KyFlatCheckBoxGrepResultRightClickSelect, "KyFlatCheckBoxGrepResultRightClickSelect", "右クリックで選択する");
  box(KyFlatCheckBoxGrepResultHorizontalScroll, "KyFlatCheckBoxGrepResultHorizontalScroll", "横スクロールを表示する");

  KyFlatSpinEditIntegerWheelScrollLine =
      Named(new TKyFlatSpinEditInteger(0, kMaxWheelScrollLine, result), "KyFlatSpinEditIntegerWheelScrollLine");
  auto* wheel = new QHBoxLayout;
  wheel->addWidget(Label("マウスホイール スクロール行数", KyFlatSpinEditIntegerWheelScrollLine, result));
  wheel->addWidget(KyFlatSpinEditIntegerWheelScrollLine);
  wheel->addStretch(1);
  resultGrid->addLayout(wheel, row++, 0, 1, 2);

  auto* saveType = new QHBoxLayout;
  saveType->addWidget(new QLabel(Text("保存形式"), result));
  saveTypes_ = new QButtonGroup(result);
  const std::pair<const char*, const char*> radios[] = {{"KyFlatRadioButtonGrepResultSaveCsv", "CSV形式"},
                                                         {"KyFlatRadioButtonGrepResultSaveTag", "タグファイル"},
                                                         {"KyFlatRadioButtonGrepResultSaveLineOnly", "検索行のみ"}};
  for (int type = 0; type < static_cast<int>(std::size(radios)); ++type) {
    auto* radio = Named(new QRadioButton(Text(radios[type].second), result), radios[type].first);
    saveTypes_->addButton(radio, type);
    saveType->addWidget(radio);
  }
  saveType->addStretch(1);
  resultGrid->addLayout(saveType, row++, 0, 1, 2);
  resultGrid->setRowStretch(row, 1);
  resultGrid->setColumnStretch(1, 1);
  layout->addWidget(result, 3);

  auto* other = Named(new QGroupBox(Text("その他設定"), page), "KyFlatGroupBoxOther");
  auto* otherLayout = new QVBoxLayout(other);
  otherLayout->addWidget(new QLabel(Text("起動時、前回最後に使用した"), other));
  const auto last = [&](QCheckBox*& check, const char* name, const char* caption) {
    check = CheckBox(name, caption, other);
    otherLayout->addWidget(check);
  };
  last(KyFlatCheckBoxGrepLastStr, "KyFlatCheckBoxGrepLastStr", "検索文字列");
  last(KyFlatCheckBoxGrepLastDir, "KyFlatCheckBoxGrepLastDir", "検索ディレクトリ");
  last(KyFlatCheckBoxGrepLastFileMask, "KyFlatCheckBoxGrepLastFileMask", "ファイルマスク");
  last(KyFlatCheckBoxGrepLastDirMask, "KyFlatCheckBoxGrepLastDirMask", "ディレクトリマスク");
  otherLayout->addWidget(new QLabel(Text("を設定する。"), other), 0, Qt::AlignRight);
  otherLayout->addSpacing(8);
  last(KyFlatCheckBoxGrepHistoryUsed, "KyFlatCheckBoxGrepHistoryUsed", "検索結果履歴を作成する");
  otherLayout->addSpacing(8);
  KyFlatSpinEditFileSize = Named(new TKyFlatSpinEditInteger(1, kMaxFileSize, other), "KyFlatSpinEditFileSize");
  KyFlatSpinEditFileSize->SetMaxLength(kFileSizeDigits);
  otherLayout->addWidget(Label("ファイルサイズが、", KyFlatSpinEditFileSize, other));
  auto* fileSize = new QHBoxLayout;
  fileSize->addWidget(KyFlatSpinEditFileSize);
  fileSize->addWidget(new QLabel(Text("MB以上は検索しない"), other));
  fileSize->addStretch(1);
  otherLayout->addLayout(fileSize);
  otherLayout->addStretch(1);
  layout->addWidget(other, 2);
  return page;
}

void TFormToolEnv::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
  QDialog::showEvent(event);
}

// Every field the dialog edits, once: how it is shown and read back, in the
// order OK reads them.
void TFormToolEnv::BindFields() {
  fields_.History(KyFlatComboBoxExEditorExeName, EditorInfo.ExeName, EditorInfo.HistExeName);
  fields_.History(KyFlatComboBoxExEditorCmdLine, EditorInfo.CmdLine, EditorInfo.HistCmdLine);

  fields_.Font(KyFlatFontNameComboBoxExBasic, KyFlatFontSizeComboBoxExBasic, BasicInfo.Font);
  // One set of flags, a box for each.
  fields_.Custom(
      [this] {
        KyFlatCheckBoxShowProgressCount->setChecked(ShowsProgressCount(BasicInfo.ShowInProgress));
        KyFlatCheckBoxShowProgressFile->setChecked(ShowsProgressFile(BasicInfo.ShowInProgress));
      },
      [this] {
        BasicInfo.ShowInProgress =
            ShowInProgressFlags(KyFlatCheckBoxShowProgressCount->isChecked(), KyFlatCheckBoxShowProgressFile->isChecked());
      });

  fields_.Font(KyFlatFontNameComboBoxExDirPanel, KyFlatFontSizeComboBoxExDirPanel, DirPanelInfo.Font);
  fields_.Name(KyFlatEditInitialDir, DirPanelInfo.InitialDir);

  fields_.Check(KyFlatCheckBoxGrepAutoComplete, GrepInfo.AutoComplete);
  fields_.Number(KyFlatSpinEditIntegerGrepHistory, GrepInfo.MaxHistory);
  // The four search-field histories, one kind at a time in the list.
  fields_.Custom([this] { ShowFirstHistoryKind(); }, [this] { StoreShownHistory(); });
  fields_.Check(KyFlatCheckBoxGrepLastStr, GrepInfo.LastString);
  fields_.Check(KyFlatCheckBoxGrepLastDir, GrepInfo.LastDirectory);
  fields_.Check(KyFlatCheckBoxGrepLastFileMask, GrepInfo.LastFileMask);
  fields_.Check(KyFlatCheckBoxGrepLastDirMask, GrepInfo.LastDirectoryMask);
  fields_.Text(KyFlatEditNoFileExt, GrepInfo.NoFileExt);
  fields_.Number(KyFlatSpinEditFileSize, GrepInfo.MaxFileSize);

  fields_.Font(KyFlatFontNameComboBoxExGrepResult, KyFlatFontSizeComboBoxExGrepResult, GrepResultInfo.Font);
  fields_.Color(ColorPickerButtonGrepResultFont, GrepResultInfo.Font.Color);
  fields_.Color(ColorPickerButtonGrepResultBk, GrepResultInfo.Color);
  fields_.Color(ColorPickerButtonGrepResultSel, GrepResultInfo.SelColor);
  fields_.Color(ColorPickerButtonGrepResultSelBk, GrepResultInfo.SelBkColor);
  fields_.Color(ColorPickerButtonGrepResultMatch, GrepResultInfo.MatchColor);
  fields_.Color(ColorPickerButtonGrepResultMatchBk, GrepResultInfo.MatchBkColor);
  fields_.Check(KyFlatCheckBoxGrepResultDoubleBuffered, GrepResultInfo.DoubleBuffered);
  fields_.Check(KyFlatCheckBoxGrepResultShowGridLine, GrepResultInfo.ShowGridLine);
  fields_.Check(KyFlatCheckBoxGrepResultShowFileNameOnly, GrepResultInfo.ShowFileNameOnly);
  fields_.Check(KyFlatCheckBoxGrepResultRightClickSelect, GrepResultInfo.RightClickSelect);
  fields_.Check(KyFlatCheckBoxGrepResultHorizontalScroll, GrepResultInfo.HorizontalScroll);
  fields_.Number(KyFlatSpinEditIntegerWheelScrollLine, GrepResultInfo.WheelScrollLine);
  fields_.Choice(saveTypes_, GrepResultInfo.SaveType);

  fields_.Check(KyFlatCheckBoxGrepHistoryUsed, GrepHistoryInfo.Used);
  fields_.Custom([this] { ShortCutPage->SetTable(ShortCutTable); }, [this] { ShortCutTable = ShortCutPage->Table(); });
}

void TFormToolEnv::FormShow() {
  fields_.Show();
  PlaceInitialDirButton();
  KyFlatPagesEnv->setCurrentIndex(0);
}

// Square, as high as the edit, its left edge one pixel inside the edit's
// right end.
void TFormToolEnv::PlaceInitialDirButton() {
  const QRect edit = KyFlatEditInitialDir->geometry();
  KyFlatButtonInitialDir->setGeometry(edit.right(), edit.top(), edit.height(), edit.height());
  KyFlatButtonInitialDir->raise();
}

bool TFormToolEnv::eventFilter(QObject* watched, QEvent* event) {
  if (watched == KyFlatEditInitialDir && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
    PlaceInitialDirButton();
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  if (platform::ShortCutFromKeyEvent(*static_cast<QKeyEvent*>(event)) != kCtrlTab) return false;
  // A disabled command leaves the key to the control that has the focus,
  // but the page control, which switches pages on it too, never gets it.
  if (!ActionTabChange->isEnabled()) return watched == KyFlatPagesEnv;
  ActionTabChange->trigger();
  return true;
}

// While the shortcut page catches a key combination, Enter and Esc are
// keys to catch, not the dialog's.
void TFormToolEnv::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (capturing_ && (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFormToolEnv::ShortCutCaptureChange(bool capturing) {
  capturing_ = capturing;
  KyFlatButtonOk->setDefault(!capturing);
  ActionTabChange->setEnabled(!capturing);
}

void TFormToolEnv::ActionTabChangeExecute() {
  KyFlatPagesEnv->setCurrentIndex((KyFlatPagesEnv->currentIndex() + 1) % KyFlatPagesEnv->count());
}

std::string& TFormToolEnv::GrepHistory(int kind) {
  switch (kind) {
    case 1: return GrepInfo.Directory;
    case 2: return GrepInfo.FileMask;
    case 3: return GrepInfo.DirectoryMask;
    default: return GrepInfo.String;
  }
}

void TFormToolEnv::ShowFirstHistoryKind() {
  historyKind_ = -1;
  {
    const QSignalBlocker blocker(KyFlatComboBoxExGrepHistory);
    KyFlatComboBoxExGrepHistory->setCurrentIndex(0);
  }
  KyFlatComboBoxExGrepHistoryChange();
}

void TFormToolEnv::StoreShownHistory() {
  if (historyKind_ >= 0) GrepHistory(historyKind_) = ToCommaText(ListEntries(*KyFlatListBoxGrepHistory));
}

void TFormToolEnv::KyFlatComboBoxExGrepHistoryChange() {
  StoreShownHistory();
  historyKind_ = KyFlatComboBoxExGrepHistory->currentIndex();
  KyFlatListBoxGrepHistory->clear();
  for (const std::string& entry : FromCommaText(GrepHistory(historyKind_))) {
    // Every list but the search strings' holds names.
    auto* item = new QListWidgetItem(historyKind_ == 0 ? ToQString(entry) : NameToQString(entry), KyFlatListBoxGrepHistory);
    item->setData(Qt::UserRole, QByteArray::fromStdString(entry));
  }
  KyFlatListBoxGrepHistoryClick();
}

void TFormToolEnv::KyFlatListBoxGrepHistoryClick() {
  KyFlatButtonGrepHistoryDelete->setEnabled(!KyFlatListBoxGrepHistory->selectedItems().isEmpty());
}

void TFormToolEnv::KyFlatButtonGrepHistoryDeleteClick() {
  for (int row = KyFlatListBoxGrepHistory->count() - 1; row >= 0; --row)
    if (KyFlatListBoxGrepHistory->item(row)->isSelected()) delete KyFlatListBoxGrepHistory->takeItem(row);
  KyFlatListBoxGrepHistoryClick();
}

void TFormToolEnv::KyFlatButtonEditorProgramClick() {
  const QString name = QFileDialog::getOpenFileName(this, QString(), QString(), Text("実行ファイル (*)"));
  if (!name.isEmpty()) KyFlatComboBoxExEditorExeName->SetText(NameFromQString(name));
}

void TFormToolEnv::KyFlatBitBtnEditorCmdLineClick() {
  TFormCmdLineHelp help(this);
  help.setFont(font());
  if (help.exec() != QDialog::Accepted) return;
  KyFlatComboBoxExEditorCmdLine->SetText(help.CmdLine());
  KyFlatComboBoxExEditorCmdLine->setFocus();
}

void TFormToolEnv::KyFlatButtonInitialDirClick() {
  TKyFlatSelectFolder KyFlatSelectFolder1;
  KyFlatSelectFolder1.RelativePath = false;
  KyFlatSelectFolder1.Font = font();
  KyFlatSelectFolder1.SelectDir = NameFromQString(KyFlatEditInitialDir->text());
  if (KyFlatSelectFolder1.Execute(this)) KyFlatEditInitialDir->setText(NameToQString(KyFlatSelectFolder1.SelectDir));
}

void TFormToolEnv::KyFlatButtonOkClick() {
  TToolEnvTexts texts{KyFlatComboBoxExEditorExeName->Text(), KyFlatComboBoxExEditorCmdLine->Text(),
                      NameFromQString(KyFlatEditInitialDir->text())};
  const TToolEnvField failed = CheckToolEnv(texts);
  // The texts checked so far stay trimmed, also when a check fails.
  const auto putBack = [](TKyHistoryComboBox* box, const std::string& text) {
    if (box->Text() != text) box->SetText(text);
  };
  putBack(KyFlatComboBoxExEditorExeName, texts.ExeName);
  putBack(KyFlatComboBoxExEditorCmdLine, texts.CmdLine);
  if (NameFromQString(KyFlatEditInitialDir->text()) != texts.InitialDir) KyFlatEditInitialDir->setText(NameToQString(texts.InitialDir));
  QWidget* focus = nullptr;
  switch (failed) {
    case TToolEnvField::ExeName: focus = KyFlatComboBoxExEditorExeName; break;
    case TToolEnvField::CmdLine: focus = KyFlatComboBoxExEditorCmdLine; break;
    case TToolEnvField::InitialDir: focus = KyFlatEditInitialDir; break;
    case TToolEnvField::None: break;
  }
  if (focus) {
    KyFlatPagesEnv->setCurrentIndex(0);
    focus->setFocus();
    return;
  }

  fields_.Read();
  accept();
}

}  // namespace tansa2
