#pragma once
// A drop-down list of the installed Japanese font faces, each once and in
// sorted order; the user picks, never types. A linked control's font
// follows the chosen face.
#include <QComboBox>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

namespace tansa2 {

// One installed face covering Japanese and what the name picker filters it
// by.
struct TFontFace {
  QString Name;
  bool Scalable = false;
  bool Fixed = false;
};

// The names of `faces` the picker offers: no vertical-writing variant ("@" names), no name the settings file's code
// page can't hold; scalable only or fixed-pitch only on request; sorted
// without letter case, each name once.
QStringList JapaneseFontNames(const std::vector<TFontFace>& faces, bool onlyTrueType, bool onlyFixed);

class TKyFlatFontNameComboBoxEx : public QComboBox {
  Q_OBJECT

 public:
  explicit TKyFlatFontNameComboBoxEx(QWidget* parent = nullptr);

  // "TrueType" means a scalable outline font here.
  void SetOnlyTrueTypeFonts(bool value);
  bool OnlyTrueTypeFonts() const { return onlyTrueTypeFonts_; }
  void SetOnlyFixedFonts(bool value);
  bool OnlyFixedFonts() const { return onlyFixedFonts_; }

  // CP932. A name the list doesn't hold is kept with no item selected.
  std::string FontName() const { return fontName_; }
  void SetFontName(const std::string& name);

  // The control takes the picker's face from now on; the picker starts
  // from the control's current face. Null unlinks.
  void SetToControl(QWidget* control);
  QWidget* ToControl() const { return toControl_; }

  // After the user picked a face.
  std::function<void()> OnChange;

 private:
  void FillItems();
  void SelectFontName();
  void ItemActivated(int index);

  bool onlyTrueTypeFonts_ = false;
  bool onlyFixedFonts_ = false;
  std::string fontName_;
  QPointer<QWidget> toControl_;
};

}  // namespace tansa2
