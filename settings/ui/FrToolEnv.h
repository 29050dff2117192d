#pragma once
// The preferences dialog: the editor, the fonts, the progress display, the
// search-field histories, the search limits, the result list's look, the
// start-up values and every command's shortcuts, on three pages. It edits
// its own copies of the settings groups and hands them back only on OK.
#include <QDialog>
#include <string>

#include "settings/SettingsGroups.h"
#include "settings/ShortCutTable.h"
#include "settings/ui/FieldBindings.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace tansa2 {

class TColorPickerButton;
class TKyFlatFontNameComboBoxEx;
class TKyFlatFontSizeComboBoxEx;
class TKyFlatSpinEditInteger;
class TKyHistoryComboBox;
class TShortCutPage;

class TFormToolEnv : public QDialog {
  Q_OBJECT

 public:
  explicit TFormToolEnv(QWidget* parent = nullptr);
  ~TFormToolEnv() override;

  // Set before the dialog is shown; after it closed with OK they hold what
  // the user chose. ShowToolBar, ShowDirPanel and the result history's
  // counters pass through unchanged.
  TBasicInfo BasicInfo;
  TDirPanelInfo DirPanelInfo;
  TGrepInfo GrepInfo;
  TGrepResultInfo GrepResultInfo;
  TGrepHistoryInfo GrepHistoryInfo;
  TEditorInfo EditorInfo;
  TShortCutTable ShortCutTable;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateBasicPage1();
  QWidget* CreateBasicPage2();
  void BindFields();
  void FormShow();
  void PlaceInitialDirButton();

  void KyFlatButtonOkClick();
  void ActionTabChangeExecute();
  void ShowFirstHistoryKind();
  // Puts the list's entries back into the history of the kind it shows.
  void StoreShownHistory();
  void KyFlatComboBoxExGrepHistoryChange();
  void KyFlatListBoxGrepHistoryClick();
  void KyFlatButtonGrepHistoryDeleteClick();
  void KyFlatButtonEditorProgramClick();
  void KyFlatBitBtnEditorCmdLineClick();
  void KyFlatButtonInitialDirClick();
  // The new-key edit of the shortcut page takes Enter, Esc and Ctrl+Tab
  // while it has the focus.
  void ShortCutCaptureChange(bool capturing);

  // The history of a kind of the history page: 0 search string,
  // 1 directory, 2 file mask, 3 directory mask.
  std::string& GrepHistory(int kind);

  bool shown_ = false;
  bool capturing_ = false;
  int historyKind_ = -1;  // the kind the list shows; -1 none
  TFieldBindings fields_;

  QAction* ActionTabChange = nullptr;
  QTabWidget* KyFlatPagesEnv = nullptr;
  QPushButton* KyFlatButtonOk = nullptr;
  QPushButton* KyFlatButtonCancel = nullptr;

  TKyHistoryComboBox* KyFlatComboBoxExEditorExeName = nullptr;
  QPushButton* KyFlatButtonEditorProgram = nullptr;
  TKyHistoryComboBox* KyFlatComboBoxExEditorCmdLine = nullptr;
  QToolButton* KyFlatBitBtnEditorCmdLine = nullptr;
  TKyFlatFontNameComboBoxEx* KyFlatFontNameComboBoxExBasic = nullptr;
  TKyFlatFontSizeComboBoxEx* KyFlatFontSizeComboBoxExBasic = nullptr;
  QCheckBox* KyFlatCheckBoxShowProgressCount = nullptr;
  QCheckBox* KyFlatCheckBoxShowProgressFile = nullptr;
  TKyFlatFontNameComboBoxEx* KyFlatFontNameComboBoxExDirPanel = nullptr;
  TKyFlatFontSizeComboBoxEx* KyFlatFontSizeComboBoxExDirPanel = nullptr;
  QLineEdit* KyFlatEditInitialDir = nullptr;
  QPushButton* KyFlatButtonInitialDir = nullptr;
  QCheckBox* KyFlatCheckBoxGrepAutoComplete = nullptr;
  TKyFlatSpinEditInteger* KyFlatSpinEditIntegerGrepHistory = nullptr;
  QComboBox* KyFlatComboBoxExGrepHistory = nullptr;
  QListWidget* KyFlatListBoxGrepHistory = nullptr;
  QPushButton* KyFlatButtonGrepHistoryDelete = nullptr;
  QLineEdit* KyFlatEditNoFileExt = nullptr;

  TKyFlatFontNameComboBoxEx* KyFlatFontNameComboBoxExGrepResult = nullptr;
  TKyFlatFontSizeComboBoxEx* KyFlatFontSizeComboBoxExGrepResult = nullptr;
  TColorPickerButton* ColorPickerButtonGrepResultFont = nullptr;
  TColorPickerButton* ColorPickerButtonGrepResultBk = nullptr;
  TColorPickerButton* ColorPickerButtonGrepResultSel = nullptr;
  TColorPickerButton* ColorPickerButtonGrepResultSelBk = nullptr;
  TColorPickerButton* ColorPickerButtonGrepResultMatch = nullptr;
  TColorPickerButton* ColorPickerButtonGrepResultMatchBk = nullptr;
  QCheckBox* KyFlatCheckBoxGrepResultDoubleBuffered = nullptr;
  QCheckBox* KyFlatCheckBoxGrepResultShowGridLine = nullptr;
  QCheckBox* KyFlatCheckBoxGrepResultShowFileNameOnly = nullptr;
  QCheckBox* KyFlatCheckBoxGrepResultRightClickSelect = nullptr;
  QCheckBox* KyFlatCheckBoxGrepResultHorizontalScroll = nullptr;
  TKyFlatSpinEditInteger* KyFlatSpinEditIntegerWheelScrollLine = nullptr;
  QButtonGroup* saveTypes_ = nullptr;  // the three radio buttons, by SaveType
  QCheckBox* KyFlatCheckBoxGrepLastStr = nullptr;
  QCheckBox* KyFlatCheckBoxGrepLastDir = nullptr;
  QCheckBox* KyFlatCheckBoxGrepLastFileMask = nullptr;
  QCheckBox* KyFlatCheckBoxGrepLastDirMask = nullptr;
  QCheckBox* KyFlatCheckBoxGrepHistoryUsed = nullptr;
  TKyFlatSpinEditInteger* KyFlatSpinEditFileSize = nullptr;

  TShortCutPage* ShortCutPage = nullptr;
};

}  // namespace tansa2
