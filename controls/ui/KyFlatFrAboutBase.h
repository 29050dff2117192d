#pragma once
// What the about box and its detail box share: a fixed window with only the
// close button, centred on the screen, the program's version values, and
// at the top the tag line in bold, the program's icon and a large title.
#include <QDialog>
#include <string>

#include "controls/ui/KyVerInfo.h"

class QLabel;
class QVBoxLayout;

namespace tansa2 {

class TKyFlatFormAboutBase : public QDialog {
  Q_OBJECT

 public:
  // The tag line, CP932.
  void SetTitleString(const std::string& text);
  std::string TitleString() const { return titleString_; }

 protected:
  // `captionSuffix` follows the application title in the caption; the
  // subclass adds its controls to Body().
  TKyFlatFormAboutBase(QWidget* parent, QSize clientSize, const char* captionSuffix);

  QVBoxLayout& Body() const { return *body_; }
  // The OK button, centred under the body.
  void AddOkButton();
  void SetTitle(const std::string& text);

  void showEvent(QShowEvent* event) override;

  TKyVerInfo VerInfo;
  QLabel* ImageIcon = nullptr;

 private:
  std::string titleString_;
  QLabel* LabelString = nullptr;
  QLabel* LabelTitle = nullptr;
  QVBoxLayout* body_ = nullptr;
};

}  // namespace tansa2
