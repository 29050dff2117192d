#pragma once
// A button that shows a colour and opens a palette to choose another: under
// the prompt "選択してください", the standard colours, the system colours by
// name, and "その他" for any colour through the colour dialog. Colours are
// the settings' 32-bit values, so a system colour stays one.
#include <QToolButton>
#include <cstdint>
#include <functional>

namespace tansa2 {

class TColorPickerButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TColorPickerButton(QWidget* parent = nullptr);

  uint32_t Color() const { return color_; }
  void SetColor(uint32_t color);

  // After the user chose a colour from the palette or the dialog.
  std::function<void()> OnChange;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildPalette();
  QAction* AddColorAction(QWidget* owner, uint32_t color);
  void ColorChosen(uint32_t color);
  void ChooseOtherColor();
  void ShowColor();

  uint32_t color_ = 0;
};

}  // namespace tansa2
