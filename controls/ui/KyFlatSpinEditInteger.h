#pragma once
// A field for a whole number within a range: it takes digits, "-" and
// control keys only (other keys beep), steps by one with Up, Down and the
// mouse wheel, lets a typed value stray out of the range while it is being
// typed and brings it into the range when the field loses the focus. A text
// that is no number reads as the minimum.
#include <QSpinBox>

namespace tansa2 {

class TKyFlatSpinEditInteger : public QSpinBox {
  Q_OBJECT

 public:
  TKyFlatSpinEditInteger(int minimum, int maximum, QWidget* parent = nullptr);

  // The typed value brought into the range, also while the field still has
  // the focus; the field then shows it.
  int Value();
  // At most `chars` characters can be typed.
  void SetMaxLength(int chars);

  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tansa2
