#pragma once
// A drop-down list of the usual font sizes in points; the user picks, never
// types. A size that isn't one of them is kept with no item selected. A
// linked control's font follows the chosen size.
#include <QComboBox>
#include <QPointer>
#include <functional>

namespace tansa2 {

class TKyFlatFontSizeComboBoxEx : public QComboBox {
  Q_OBJECT

 public:
  explicit TKyFlatFontSizeComboBoxEx(QWidget* parent = nullptr);

  // Points; 0 until set.
  int FontSize() const { return fontSize_; }
  void SetFontSize(int size);

  // The control takes the picker's size from now on; the picker starts
  // from the control's current size. Null unlinks.
  void SetToControl(QWidget* control);
  QWidget* ToControl() const { return toControl_; }

  // After the user picked a size.
  std::function<void()> OnChange;

 private:
  void ItemActivated(int index);

  int fontSize_ = 0;
  QPointer<QWidget> toControl_;
};

}  // namespace tansa2
