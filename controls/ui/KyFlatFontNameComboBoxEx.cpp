#include "controls/ui/KyFlatFontNameComboBoxEx.h"

#include <QFontDatabase>
#include <algorithm>

#include "platform/ui/InstalledFonts.h"
#include "platform/ui/QtText.h"

namespace tansa2 {
namespace {

// The installed Japanese faces, asked of the font database each time a list
// is filled, so that a face added while the program runs is offered.
std::vector<TFontFace> InstalledFaces() {
  platform::CatchUpWithInstalledFonts();
  std::vector<TFontFace> faces;
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  faces.reserve(static_cast<size_t>(japanese.size()));
  for (const QString& family : japanese)
    faces.push_back({family, QFontDatabase::isSmoothlyScalable(family), QFontDatabase::isFixedPitch(family)});
  return faces;
}

bool SortsBefore(const QString& a, const QString& b) {
  const int order = QString::compare(a, b, Qt::CaseInsensitive);
  return order != 0 ? order < 0 : a < b;
}

bool SameName(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

}  // namespace

QStringList JapaneseFontNames(const std::vector<TFontFace>& faces, bool onlyTrueType, bool onlyFixed) {
  QStringList names;
  for (const TFontFace& face : faces) {
    if (face.Name.isEmpty() || face.Name.startsWith(QLatin1Char('@'))) continue;
    if (onlyTrueType && !face.Scalable) continue;
    if (onlyFixed && !face.Fixed) continue;
    // The chosen name goes to the settings file in CP932; one that doesn't
    // come back the same would name no font when it is read.
    if (platform::ToQString(platform::FromQString(face.Name)) != face.Name) continue;
    names.append(face.Name);
  }
  std::stable_sort(names.begin(), names.end(), SortsBefore);
  names.erase(std::unique(names.begin(), names.end(), SameName), names.end());
  return names;
}

TKyFlatFontNameComboBoxEx::TKyFlatFontNameComboBoxEx(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  FillItems();
  connect(this, &QComboBox::activated, this, &TKyFlatFontNameComboBoxEx::ItemActivated);
}

void TKyFlatFontNameComboBoxEx::SetOnlyTrueTypeFonts(bool value) {
  if (value == onlyTrueTypeFonts_) return;
  onlyTrueTypeFonts_ = value;
  FillItems();
}

void TKyFlatFontNameComboBoxEx::SetOnlyFixedFonts(bool value) {
  if (value == onlyFixedFonts_) return;
  onlyFixedFonts_ = value;
  FillItems();
}

void TKyFlatFontNameComboBoxEx::SetFontName(const std::string& name) {
  if (name == fontName_) return;
  fontName_ = name;
  SelectFontName();
  if (toControl_) {
    QFont font = toControl_->font();
    font.setFamily(platform::ToQString(fontName_));
    toControl_->setFont(font);
  }
}

void TKyFlatFontNameComboBoxEx::SetToControl(QWidget* control) {
  if (control == toControl_) return;
  toControl_ = control;
  if (control) SetFontName(platform::FromQString(control->font().family()));
}

void TKyFlatFontNameComboBoxEx::FillItems() {
  clear();
  addItems(JapaneseFontNames(InstalledFaces(), onlyTrueTypeFonts_, onlyFixedFonts_));
  // A new filter keeps the chosen face selected while the list holds it.
  SelectFontName();
}

void TKyFlatFontNameComboBoxEx::SelectFontName() {
  setCurrentIndex(findText(platform::ToQString(fontName_), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TKyFlatFontNameComboBoxEx::ItemActivated(int index) {
  SetFontName(platform::FromQString(itemText(index)));
  if (OnChange) OnChange();
}

}  // namespace tansa2
