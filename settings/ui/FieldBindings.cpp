#include "settings/ui/FieldBindings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <algorithm>
#include <utility>

#include "controls/ui/ColorPickerButton.h"
#include "controls/ui/KyFlatFontNameComboBoxEx.h"
#include "controls/ui/KyFlatFontSizeComboBoxEx.h"
#include "controls/ui/KyFlatSpinEditInteger.h"
#include "platform/ui/QtText.h"
#include "results/CommaText.h"
#include "settings/ui/KyHistoryComboBox.h"

namespace tansa2 {

void TFieldBindings::Check(QCheckBox* box, bool& field) {
  Custom([box, &field] { box->setChecked(field); }, [box, &field] { field = box->isChecked(); });
}

void TFieldBindings::Number(TKyFlatSpinEditInteger* spin, int32_t& field) {
  Custom([spin, &field] { spin->setValue(std::clamp(field, spin->minimum(), spin->maximum())); },
         [spin, &field] { field = spin->Value(); });
}

void TFieldBindings::Text(QLineEdit* edit, std::string& field) {
  Custom([edit, &field] { edit->setText(platform::ToQString(field)); },
         [edit, &field] { field = platform::FromQString(edit->text()); });
}

void TFieldBindings::Name(QLineEdit* edit, std::string& field) {
  Custom([edit, &field] { edit->setText(platform::NameToQString(field)); },
         [edit, &field] { field = platform::NameFromQString(edit->text()); });
}

void TFieldBindings::Font(TKyFlatFontNameComboBoxEx* name, TKyFlatFontSizeComboBoxEx* size, TFontInfo& font) {
  Custom(
      [name, size, &font] {
        name->SetFontName(font.Name);
        size->SetFontSize(font.Size);
      },
      [name, size, &font] {
        font.Name = name->FontName();
        font.Size = size->FontSize();
      });
}

void TFieldBindings::Color(TColorPickerButton* picker, uint32_t& field) {
  Custom([picker, &field] { picker->SetColor(field); }, [picker, &field] { field = picker->Color(); });
}

void TFieldBindings::Choice(QButtonGroup* buttons, int32_t& field) {
  Custom(
      [buttons, &field] {
        // An exclusive group can't uncheck its last checked button.
        buttons->setExclusive(false);
        for (QAbstractButton* button : buttons->buttons()) button->setChecked(buttons->id(button) == field);
        buttons->setExclusive(true);
      },
      [buttons, &field] {
        if (buttons->checkedId() >= 0) field = buttons->checkedId();
      });
}

void TFieldBindings::History(TKyHistoryComboBox* box, std::string& text, std::string& history) {
  Custom(
      [box, &text, &history] {
        box->SetItems(FromCommaText(history));
        box->SetText(text);
      },
      [box, &text, &history] {
        box->AddHistory();
        text = box->Text();
        history = ToCommaText(box->Items());
      });
}

void TFieldBindings::Custom(std::function<void()> show, std::function<void()> read) {
  bindings_.push_back({std::move(show), std::move(read)});
}

void TFieldBindings::Show() const {
  for (const TBinding& binding : bindings_) binding.Show();
}

void TFieldBindings::Read() const {
  for (const TBinding& binding : bindings_) binding.Read();
}

}  // namespace tansa2
