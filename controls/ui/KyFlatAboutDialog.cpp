#include "controls/ui/KyFlatAboutDialog.h"

#include "controls/ui/KyFlatFrAbout.h"

namespace tansa2 {

bool TKyFlatAboutDialog::Execute() {
  // Show goes back to false however the box ends.
  struct TShowing {
    bool& flag;
    explicit TShowing(bool& f) : flag(f) { flag = true; }
    ~TShowing() { flag = false; }
  } showing(show_);
  TKyFlatFormAbout form(owner_);
  form.SetTitleString(TitleString);
  return form.exec() == QDialog::Accepted;
}

}  // namespace tansa2
