#include "settings/ui/KyHistoryComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyledItemDelegate>
#include <cmath>

#include "platform/ui/KeyCodes.h"
#include "platform/ui/QtText.h"
#include "settings/HistoryList.h"

namespace tansa2 {
namespace {

constexpr uint16_t kVkBack = 0x08;
constexpr uint16_t kVkDelete = 0x2E;
constexpr int kDropDownCount = 8;

// The list drops down below the field instead of opening over it.
class TDropDownStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

class TRowDelegate : public QStyledItemDelegate {
 public:
  explicit TRowDelegate(TKyHistoryComboBox* box) : QStyledItemDelegate(box), box_(box) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), box_->DropDownRowHeight());
  }

 private:
  const TKyHistoryComboBox* box_;
};

}  // namespace

TKyHistoryComboBox::TKyHistoryComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);  // the platform's own type-ahead stays off
  setMaxVisibleItems(kDropDownCount);
  auto* style = new TDropDownStyle;
  style->setParent(this);
  setStyle(style);
  setItemDelegate(new TRowDelegate(this));
  lineEdit()->installEventFilter(this);
  connect(lineEdit(), &QLineEdit::textEdited, this, &TKyHistoryComboBox::TextEdited);
}

QString TKyHistoryComboBox::Shown(std::string_view text) const {
  return holdsNames_ ? platform::NameToQString(text) : platform::ToQString(text);
}

std::string TKyHistoryComboBox::Held(const QString& shown) const {
  return holdsNames_ ? platform::NameFromQString(shown) : platform::FromQString(shown);
}

std::string TKyHistoryComboBox::Text() const { return Held(currentText()); }

void TKyHistoryComboBox::SetText(const std::string& text) { setEditText(Shown(text)); }

std::vector<std::string> TKyHistoryComboBox::Items() const {
  std::vector<std::string> items;
  items.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) items.push_back(Held(itemText(i)));
  return items;
}

void TKyHistoryComboBox::SetItems(const std::vector<std::string>& items) {
  const QString text = currentText();
  clear();
  for (const std::string& item : items) addItem(Shown(item));
  setEditText(text);
}

void TKyHistoryComboBox::AddHistory() {
  std::vector<std::string> items = Items();
  if (!tansa2::AddHistory(items, Text(), maxHistory_)) return;
  SetItems(items);
  if (count() > 0) setCurrentIndex(0);
}

void TKyHistoryComboBox::SetMaxHistory(uint16_t value) {
  maxHistory_ = value;
  if (count() <= maxHistory_) return;
  // Removing the shown entry would change or blank the field; the limit
  // cuts the list only.
  const QString text = currentText();
  while (count() > maxHistory_) removeItem(count() - 1);
  setEditText(text);
}

bool TKyHistoryComboBox::DroppedDown() const { return view()->isVisible(); }

int TKyHistoryComboBox::DropDownRowHeight() const {
  const int height = fontMetrics().height();
  return height + static_cast<int>(std::lround(height / 8.0)) - 2;
}

void TKyHistoryComboBox::showPopup() {
  QComboBox::showPopup();
  int height = std::min(maxVisibleItems(), count()) * DropDownRowHeight() + 4;
  if (height <= 4) height = 10;
  // Above the field when there was no room below: keep the bottom edge.
  QWidget* popup = view()->window();
  QRect geometry = popup->geometry();
  if (geometry.top() < mapToGlobal(QPoint(0, 0)).y()) geometry.setTop(geometry.bottom() + 1 - height);
  else geometry.setHeight(height);
  popup->setGeometry(geometry);
}

bool TKyHistoryComboBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::KeyPress)
    lastKey_ = platform::ShortCutFromKeyEvent(*static_cast<QKeyEvent*>(event)) & 0xFF;
  return QComboBox::eventFilter(watched, event);
}

void TKyHistoryComboBox::TextEdited(const QString& text) {
  if (!complete_ || lastKey_ == kVkBack || lastKey_ == kVkDelete) return;
  const std::vector<std::string> items = Items();
  const std::string typed = Held(text);
  const int match = FindCompletion(items, typed, minLengthComplete_);
  if (match < 0) return;
  const QString rest = Shown(std::string_view(items[match]).substr(typed.size()));
  lineEdit()->setText(text + rest);
  lineEdit()->setSelection(static_cast<int>(text.size()), static_cast<int>(rest.size()));
}

}  // namespace tansa2
