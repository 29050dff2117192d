#include "controls/ui/KyFlatSpinEditInteger.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "platform/ui/Feedback.h"

namespace tansa2 {
namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Digits after an optional "-", or what typing such a text passes through.
bool IsNumberText(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i)
    if (!IsDigit(text[i]) && !(i == 0 && text[i] == QLatin1Char('-'))) return false;
  return true;
}

}  // namespace

TKyFlatSpinEditInteger::TKyFlatSpinEditInteger(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
  setRange(minimum, maximum);
  setSingleStep(1);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TKyFlatSpinEditInteger::Value() {
  interpretText();
  return value();
}

void TKyFlatSpinEditInteger::SetMaxLength(int chars) { lineEdit()->setMaxLength(chars); }

QValidator::State TKyFlatSpinEditInteger::validate(QString& input, int&) const {
  if (!IsNumberText(input)) return QValidator::Invalid;
  bool ok = false;
  const qlonglong number = input.toLongLong(&ok);
  return ok && number >= minimum() && number <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TKyFlatSpinEditInteger::fixup(QString& input) const {
  bool ok = false;
  const qlonglong number = input.toLongLong(&ok);
  const bool negative = input.startsWith(QLatin1Char('-'));
  qlonglong value = minimum();
  if (ok) value = std::clamp<qlonglong>(number, minimum(), maximum());
  // More digits than a number holds still mean a number beyond the range.
  else if (IsNumberText(input) && input.size() > (negative ? 1 : 0)) value = negative ? minimum() : maximum();
  input = QString::number(value);
}

void TKyFlatSpinEditInteger::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool control = text.isEmpty() || text[0].unicode() < 0x20 || text[0].unicode() == 0x7F ||
                       (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  const bool accepted = control || (text.size() == 1 && (IsDigit(text[0]) || text[0] == QLatin1Char('-')));
  if (!accepted) {
    platform::Beep();
    event->accept();
    return;
  }
  QSpinBox::keyPressEvent(event);
}

}  // namespace tansa2
