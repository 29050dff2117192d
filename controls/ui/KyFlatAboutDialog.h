#pragma once
// The about box as its owner holds it: a tag line, and a modal run that
// makes a new box each time.
#include <string>

class QWidget;

namespace tansa2 {

class TKyFlatAboutDialog {
 public:
  explicit TKyFlatAboutDialog(QWidget* owner = nullptr) : owner_(owner) {}

  // Shown in bold at the top of both boxes; CP932.
  std::string TitleString;

  // True while Execute runs.
  bool Show() const { return show_; }

  // Shows the about box modally; true when it was closed with OK.
  bool Execute();

 private:
  QWidget* owner_;
  bool show_ = false;
};

}  // namespace tansa2
