#pragma once
// The about box: the product name, "Version " and the product version, and
// the copyright line. A double-click on the icon replaces it with the detail
// box; when that closes the user is back in the owner window.
#include "controls/ui/KyFlatFrAboutBase.h"

class QLabel;

namespace tansa2 {

class TKyFlatFormAbout : public TKyFlatFormAboutBase {
  Q_OBJECT

 public:
  explicit TKyFlatFormAbout(QWidget* parent = nullptr);

  // Hides this box, shows the detail box modally, then closes with OK.
  void ImageIconDblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tansa2
