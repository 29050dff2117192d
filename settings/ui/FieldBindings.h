#pragma once
// The list that ties each field of the preferences dialog's settings
// groups to the control that edits it: showing puts every field into its
// control, reading puts every control's value back into its field, both in
// the order the fields were listed. The fields and the controls belong to
// the dialog, which outlives its list.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/SettingsGroups.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace tansa2 {

class TColorPickerButton;
class TKyFlatFontNameComboBoxEx;
class TKyFlatFontSizeComboBoxEx;
class TKyFlatSpinEditInteger;
class TKyHistoryComboBox;

class TFieldBindings {
 public:
  void Check(QCheckBox* box, bool& field);
  // Shown brought into the field's range; read as the typed value brought
  // into it.
  void Number(TKyFlatSpinEditInteger* spin, int32_t& field);
  // A text in the program's code page, as typed.
  void Text(QLineEdit* edit, std::string& field);
  // A file or directory name, its bytes kept even where they are no text.
  void Name(QLineEdit* edit, std::string& field);
  // The font's name and size; its colour and style aren't offered and stay.
  void Font(TKyFlatFontNameComboBoxEx* name, TKyFlatFontSizeComboBoxEx* size, TFontInfo& font);
  void Color(TColorPickerButton* picker, uint32_t& field);
  // The button whose id is the field's value is checked. A value no button
  // stands for checks none and stays unless the user checks one.
  void Choice(QButtonGroup* buttons, int32_t& field);
  // A text with its history as comma text. Reading enters the text at the
  // top of the history first.
  void History(TKyHistoryComboBox* box, std::string& text, std::string& history);
  // A field shown in a way of its own.
  void Custom(std::function<void()> show, std::function<void()> read);

  void Show() const;
  void Read() const;

 private:
  struct TBinding {
    std::function<void()> Show;
    std::function<void()> Read;
  };
  std::vector<TBinding> bindings_;
};

}  // namespace tansa2
