#pragma once
// The detail box: the file description as its title, and the eleven version
// keys in a list beside a memo with the value of the selected one.
#include "controls/ui/KyFlatFrAboutBase.h"

class QListWidget;
class QPlainTextEdit;

namespace tansa2 {

class TKyFlatFormAbout2 : public TKyFlatFormAboutBase {
  Q_OBJECT

 public:
  explicit TKyFlatFormAbout2(QWidget* parent = nullptr);

  // The memo shows the selected key's value; none selected empties it.
  void KyFlatListBoxAboutClick();

 private:
  QListWidget* KyFlatListBoxAbout = nullptr;
  QPlainTextEdit* KyFlatMemoAbout = nullptr;
};

}  // namespace tansa2
