#include "settings/ui/ShortCutPage.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/ui/KeyCodes.h"
#include "platform/ui/QtText.h"
#include "settings/ShortCutText.h"

namespace tansa2 {
namespace {

using platform::FromQString;
using platform::ToQString;

constexpr platform::TShortCut kTab = 0x09;
constexpr platform::TShortCut kShiftTab = platform::scShift | kTab;

bool IsModifierKey(platform::TShortCut code) {
  const int key = code & 0xFF;
  return key == 0x10 || key == 0x11 || key == 0x12;
}

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Label(const QString& caption, QWidget* buddy) {
  auto* label = new QLabel(caption);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TShortCutPage::TShortCutPage(QWidget* parent)
    : QWidget(parent),
      KyFlatComboBoxExShortCutCategory(Named(new QComboBox, "KyFlatComboBoxExShortCutCategory")),
      KyFlatListBoxShortCutCommand(Named(new QListWidget, "KyFlatListBoxShortCutCommand")),
      KyFlatEditShortCutNew(Named(new QLineEdit, "KyFlatEditShortCutNew")),
      PopupMenuShortCut(Named(new QMenu(this), "PopupMenuShortCut")),
      pmiTab(Named(new QAction(QStringLiteral("Tab"), PopupMenuShortCut), "pmiTab")),
      pmiShiftTab(Named(new QAction(QStringLiteral("Shift+Tab"), PopupMenuShortCut), "pmiShiftTab")),
      KyFlatButtonShortCutAdd(Named(new QPushButton(QStringLiteral("追加")), "KyFlatButtonShortCutAdd")),
      KyFlatListBoxShortCutCurrent(Named(new QListWidget, "KyFlatListBoxShortCutCurrent")),
      KyFlatButtonShortCutDelete(Named(new QPushButton(QStringLiteral("削除")), "KyFlatButtonShortCutDelete")),
      KyFlatButtonShortCutClear(Named(new QPushButton(QStringLiteral("クリア")), "KyFlatButtonShortCutClear")),
      KyFlatButtonShortCutUp(Named(new QPushButton(QStringLiteral("上へ")), "KyFlatButtonShortCutUp")),
      KyFlatButtonShortCutDown(Named(new QPushButton(QStringLiteral("下へ")), "KyFlatButtonShortCutDown")) {
  KyFlatListBoxShortCutCommand->setSelectionMode(QAbstractItemView::SingleSelection);
  KyFlatListBoxShortCutCurrent->setSelectionMode(QAbstractItemView::ExtendedSelection);
  KyFlatEditShortCutNew->setReadOnly(true);
  KyFlatEditShortCutNew->installEventFilter(this);

  // The menu only carries Tab and Shift+Tab, hidden; a right click in the
  // field shows nothing, as the all-hidden menu would. Hidden actions take no
  // keys in Qt, so the field's key handling triggers them.
  pmiTab->setShortcut(platform::KeyCombinationFromShortCut(kTab));
  pmiShiftTab->setShortcut(platform::KeyCombinationFromShortCut(kShiftTab));
  for (QAction* item : {pmiTab, pmiShiftTab}) {
    item->setVisible(false);
    PopupMenuShortCut->addAction(item);
  }
  KyFlatEditShortCutNew->setContextMenuPolicy(Qt::NoContextMenu);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->setHorizontalSpacing(16);
  grid->addWidget(Label(QStringLiteral("カテゴリ"), KyFlatComboBoxExShortCutCategory), 0, 0);
  grid->addWidget(KyFlatComboBoxExShortCutCategory, 1, 0);
  grid->addWidget(Label(QStringLiteral("コマンド"), KyFlatListBoxShortCutCommand), 2, 0);
  grid->addWidget(KyFlatListBoxShortCutCommand, 3, 0);

  grid->addWidget(Label(QStringLiteral("新しいショートカット"), KyFlatEditShortCutNew), 0, 1);
  auto* newRow = new QHBoxLayout;
  newRow->addWidget(KyFlatEditShortCutNew, 1);
  newRow->addWidget(KyFlatButtonShortCutAdd);
  grid->addLayout(newRow, 1, 1);
  grid->addWidget(Label(QStringLiteral("ショートカット"), KyFlatListBoxShortCutCurrent), 2, 1);
  auto* currentRow = new QHBoxLayout;
  currentRow->addWidget(KyFlatListBoxShortCutCurrent, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button :
       {KyFlatButtonShortCutDelete, KyFlatButtonShortCutClear, KyFlatButtonShortCutUp, KyFlatButtonShortCutDown})
    buttons->addWidget(button);
  buttons->addStretch(1);
  currentRow->addLayout(buttons);
  grid->addLayout(currentRow, 3, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);

  connect(KyFlatComboBoxExShortCutCategory, &QComboBox::currentIndexChanged, this,
          &TShortCutPage::KyFlatComboBoxExShortCutCategoryChange);
  connect(KyFlatListBoxShortCutCommand, &QListWidget::currentRowChanged, this,
          &TShortCutPage::KyFlatListBoxShortCutCommandClick);
  connect(pmiTab, &QAction::triggered, this, &TShortCutPage::pmiTabClick);
  connect(pmiShiftTab, &QAction::triggered, this, &TShortCutPage::pmiShiftTabClick);
  connect(KyFlatListBoxShortCutCurrent, &QListWidget::itemSelectionChanged, this,
          &TShortCutPage::UpdateShortCutButtons);
  connect(KyFlatButtonShortCutAdd, &QPushButton::clicked, this, &TShortCutPage::KyFlatButtonShortCutAddClick);
  connect(KyFlatButtonShortCutDelete, &QPushButton::clicked, this, &TShortCutPage::KyFlatButtonShortCutDeleteClick);
  connect(KyFlatButtonShortCutClear, &QPushButton::clicked, this, &TShortCutPage::KyFlatButtonShortCutClearClick);
  connect(KyFlatButtonShortCutUp, &QPushButton::clicked, this, &TShortCutPage::KyFlatButtonShortCutUpClick);
  connect(KyFlatButtonShortCutDown, &QPushButton::clicked, this, &TShortCutPage::KyFlatButtonShortCutDownClick);
  UpdateShortCutButtons();
}

void TShortCutPage::SetTable(const TShortCutTable& table) {
  table_ = table;
  {
    const QSignalBlocker blocker(KyFlatComboBoxExShortCutCategory);
    KyFlatComboBoxExShortCutCategory->clear();
    for (int32_t i = 0; i < UsedCategoryCount(table_); ++i)
      KyFlatComboBoxExShortCutCategory->addItem(ToQString(table_.Categories[static_cast<size_t>(i)].Name));
    KyFlatComboBoxExShortCutCategory->setCurrentIndex(0);
  }
  KyFlatComboBoxExShortCutCategoryChange();
}

// Every key press in the field is caught, Enter, Esc and the shortcuts of
// the dialog included, so that any combination can be entered.
bool TShortCutPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != KyFlatEditShortCutNew) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      if (OnCaptureChange) OnCaptureChange(event->type() == QEvent::FocusIn);
      break;
    case QEvent::ShortcutOverride:
      event->accept();
      return true;
    case QEvent::KeyPress:
      KyFlatEditShortCutNewKeyDown(static_cast<const QKeyEvent&>(*event));
      return true;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void TShortCutPage::KyFlatComboBoxExShortCutCategoryChange() {
  const int32_t category = KyFlatComboBoxExShortCutCategory->currentIndex();
  {
    const QSignalBlocker blocker(KyFlatListBoxShortCutCommand);
    KyFlatListBoxShortCutCommand->clear();
    for (int32_t i = 0; i < UsedCommandCount(table_, category); ++i)
      KyFlatListBoxShortCutCommand->addItem(
          ToQString(table_.Categories[static_cast<size_t>(category)].Commands[static_cast<size_t>(i)].Name));
    if (KyFlatListBoxShortCutCommand->count() > 0) KyFlatListBoxShortCutCommand->setCurrentRow(0);
  }
  KyFlatListBoxShortCutCommandClick();
}

void TShortCutPage::KyFlatListBoxShortCutCommandClick() {
  ShowCurrent(CurrentTexts());
  KyFlatEditShortCutNew->clear();
  UpdateShortCutButtons();
}

// Tab and Shift+Tab would move the focus; here they are combinations like
// any other, entered through the hidden menu items.
void TShortCutPage::KyFlatEditShortCutNewKeyDown(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  if (event.key() == Qt::Key_Tab && modifiers == Qt::NoModifier) {
    pmiTab->trigger();
    return;
  }
  if ((event.key() == Qt::Key_Backtab || event.key() == Qt::Key_Tab) &&
      (modifiers == Qt::ShiftModifier || modifiers == Qt::NoModifier)) {
    pmiShiftTab->trigger();
    return;
  }
  platform::TShortCut code = platform::ShortCutFromKeyEvent(event);
  // A modifier pressed alone names no key.
  if (IsModifierKey(code)) code = 0;
  const std::string text = FormatShortCut(code);
  if (!ContainsShortCut(CurrentTexts(), text)) KyFlatEditShortCutNew->setText(ToQString(text));
  UpdateShortCutButtons();
}

void TShortCutPage::pmiTabClick() {
  KyFlatEditShortCutNew->setText(ToQString(FormatShortCut(kTab)));
  UpdateShortCutButtons();
}

void TShortCutPage::pmiShiftTabClick() {
  KyFlatEditShortCutNew->setText(ToQString(FormatShortCut(kShiftTab)));
  UpdateShortCutButtons();
}

void TShortCutPage::KyFlatButtonShortCutAddClick() {
  const std::string text = FromQString(KyFlatEditShortCutNew->text());
  const bool added = AddShortCut(table_, SelectedCommand(), text,
                                 [this](const std::string& question) { return ConfirmReplaceShortCut(question); });
  if (added) KyFlatListBoxShortCutCommandClick();
}

void TShortCutPage::KyFlatButtonShortCutDeleteClick() {
  std::vector<std::string> texts = CurrentTexts();
  DeleteRows(texts, SelectedRows());
  SetShortCutTexts(table_, SelectedCommand(), texts);
  ShowCurrent(texts);
  UpdateShortCutButtons();
}

void TShortCutPage::KyFlatButtonShortCutClearClick() {
  SetShortCutTexts(table_, SelectedCommand(), {});
  ShowCurrent({});
  UpdateShortCutButtons();
}

void TShortCutPage::KyFlatButtonShortCutUpClick() { MoveSelected(-1); }

void TShortCutPage::KyFlatButtonShortCutDownClick() { MoveSelected(+1); }

void TShortCutPage::MoveSelected(int step) {
  std::vector<std::string> texts = CurrentTexts();
  const std::optional<int> row = MoveRow(texts, SelectedRows(), step);
  if (!row) return;
  SetShortCutTexts(table_, SelectedCommand(), texts);
  ShowCurrent(texts);
  KyFlatListBoxShortCutCurrent->setCurrentRow(*row);
  UpdateShortCutButtons();
}

void TShortCutPage::UpdateShortCutButtons() {
  const TShortCutButtons enabled = ShortCutButtons(!KyFlatEditShortCutNew->text().isEmpty(),
                                                   KyFlatListBoxShortCutCurrent->count(), SelectedRows());
  KyFlatButtonShortCutAdd->setEnabled(enabled.Add);
  KyFlatButtonShortCutDelete->setEnabled(enabled.Delete);
  KyFlatButtonShortCutClear->setEnabled(enabled.Clear);
  KyFlatButtonShortCutUp->setEnabled(enabled.Up);
  KyFlatButtonShortCutDown->setEnabled(enabled.Down);
}

TShortCutPlace TShortCutPage::SelectedCommand() const {
  return {KyFlatComboBoxExShortCutCategory->currentIndex(), KyFlatListBoxShortCutCommand->currentRow()};
}

std::vector<std::string> TShortCutPage::CurrentTexts() const { return ShortCutTexts(table_, SelectedCommand()); }

std::vector<int> TShortCutPage::SelectedRows() const {
  std::vector<int> rows;
  for (int row = 0; row < KyFlatListBoxShortCutCurrent->count(); ++row)
    if (KyFlatListBoxShortCutCurrent->item(row)->isSelected()) rows.push_back(row);
  return rows;
}

void TShortCutPage::ShowCurrent(const std::vector<std::string>& texts) {
  const QSignalBlocker blocker(KyFlatListBoxShortCutCurrent);
  KyFlatListBoxShortCutCurrent->clear();
  for (const std::string& text : texts) KyFlatListBoxShortCutCurrent->addItem(ToQString(text));
}

bool TShortCutPage::ConfirmReplaceShortCut(const std::string& question) {
  return QMessageBox::question(this, QStringLiteral("環境設定"), ToQString(question),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

}  // namespace tansa2
