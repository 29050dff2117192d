#include "controls/ui/KyFlatFontSizeComboBoxEx.h"

#include <QFontInfo>

namespace tansa2 {

TKyFlatFontSizeComboBoxEx::TKyFlatFontSizeComboBoxEx(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48}) addItem(QString::number(size));
  setCurrentIndex(-1);
  connect(this, &QComboBox::activated, this, &TKyFlatFontSizeComboBoxEx::ItemActivated);
}

void TKyFlatFontSizeComboBoxEx::SetFontSize(int size) {
  if (size == fontSize_) return;
  fontSize_ = size;
  setCurrentIndex(findText(QString::number(size), Qt::MatchExactly));
  // Qt refuses a size below one point; such a value is only stored.
  if (toControl_ && size > 0) {
    QFont font = toControl_->font();
    font.setPointSize(size);
    toControl_->setFont(font);
  }
}

void TKyFlatFontSizeComboBoxEx::SetToControl(QWidget* control) {
  if (control == toControl_) return;
  toControl_ = control;
  if (!control) return;
  // A font given in pixels has no point size of its own.
  const QFont font = control->font();
  SetFontSize(font.pointSize() > 0 ? font.pointSize() : qRound(QFontInfo(font).pointSizeF()));
}

void TKyFlatFontSizeComboBoxEx::ItemActivated(int index) {
  SetFontSize(itemText(index).toInt());
  if (OnChange) OnChange();
}

}  // namespace tansa2
