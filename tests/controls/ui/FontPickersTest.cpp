#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QTemporaryDir>
#include <QtEndian>
#include <memory>

#include "controls/ui/KyFlatFontNameComboBoxEx.h"
#include "controls/ui/KyFlatFontSizeComboBoxEx.h"
#include "platform/CodePage.h"
#include "platform/ui/QtText.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

TEST(JapaneseFontNamesTest, FiltersSortsAndKeepsEachNameOnce) {
  const QString gothic = QString::fromUtf8("ＭＳ ゴシック");
  const std::vector<TFontFace> faces = {
      {QStringLiteral("zeta Mincho"), true, false},
      {gothic, true, true},
      {QStringLiteral("@") + gothic, true, true},  // vertical writing
      {QStringLiteral("Alpha Raster"), false, true},
      {QStringLiteral("beta Sans"), true, false},
      {gothic, true, true},
      {QStringLiteral("BETA SANS"), true, false},
      {QString::fromUtf8("Face 한글"), true, false},  // no CP932 form
      {QString(), true, true},
  };
  struct TCase {
    bool onlyTrueType, onlyFixed;
    QStringList expected;
  };
  const TCase cases[] = {
      {false, false, {QStringLiteral("Alpha Raster"), QStringLiteral("BETA SANS"), QStringLiteral("zeta Mincho"), gothic}},
      {true, false, {QStringLiteral("BETA SANS"), QStringLiteral("zeta Mincho"), gothic}},
      {false, true, {QStringLiteral("Alpha Raster"), gothic}},
      {true, true, {gothic}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(JapaneseFontNames(faces, c.onlyTrueType, c.onlyFixed), c.expected)
        << c.onlyTrueType << c.onlyFixed;
}

// Faces the machine really has: one covering Japanese (the build installs
// one) and one that covers only Western scripts.
TEST(FontNamePickerTest, OffersEachJapaneseFaceOnceAndNoWesternFace) {
  testing::QtApp();
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  if (japanese.isEmpty()) GTEST_SKIP() << "no font covering Japanese is installed";
  QString western;
  for (const QString& family : QFontDatabase::families())
    if (!QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) western = family;

  TKyFlatFontNameComboBoxEx picker;
  const QStringList items = Items(picker);
  EXPECT_EQ(items.count(japanese.front()), 1);
  if (!western.isEmpty()) {
    EXPECT_FALSE(items.contains(western)) << western.toStdString();
  }
  for (const QString& item : items) EXPECT_FALSE(item.startsWith(QLatin1Char('@')));

  picker.SetOnlyTrueTypeFonts(true);
  picker.SetOnlyFixedFonts(true);
  for (const QString& item : Items(picker)) {
    EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(item)) << item.toStdString();
    EXPECT_TRUE(QFontDatabase::isFixedPitch(item)) << item.toStdString();
  }
}

// The bytes of an installed IPA font with "IPA" in its names turned into
// "ZQX": a face covering Japanese that no font on the machine has. Empty
// when there is no such file.
QByteArray RenamedIpaFont() {
  const QByteArray ipa("\0I\0P\0A", 6), zqx("\0Z\0Q\0X", 6);
  for (const char* dir : {"/usr/share/fonts/opentype/ipafont-gothic", "/usr/share/fonts/opentype/ipafont-mincho"})
    for (const QFileInfo& info : QDir(QString::fromLatin1(dir)).entryInfoList({QStringLiteral("*.ttf")}, QDir::Files)) {
      QFile file(info.filePath());
      if (!file.open(QIODevice::ReadOnly)) continue;
      QByteArray data = file.readAll();
      // The table directory: the table count at 4, then 16-byte records
      // (tag, checksum, offset, length) from 12.
      const auto u32 = [&data](qsizetype at) {
        return qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(data.constData() + at));
      };
      if (data.size() < 12) continue;
      const int tables = qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(data.constData() + 4));
      for (int table = 0; table < tables && 12 + (table + 1) * 16 <= data.size(); ++table) {
        const qsizetype record = 12 + table * 16;
        if (data.mid(record, 4) != "name") continue;
        const qsizetype at = u32(record + 8), length = u32(record + 12);
        if (at + length > data.size()) break;
        QByteArray names = data.mid(at, length);
        if (!names.contains(ipa)) break;
        data.replace(at, length, names.replace(ipa, zqx).replace("IPA", "ZQX"));
        return data;
      }
    }
  return {};
}

TEST(FontNamePickerTest, AFaceAddedWhileTheProgramRunsIsOfferedAtTheNextFilling) {
  testing::QtApp();
  const QByteArray font = RenamedIpaFont();
  if (font.isEmpty()) GTEST_SKIP() << "no IPA font file to make a new face of";

  const TKyFlatFontNameComboBoxEx before;
  const int id = QFontDatabase::addApplicationFontFromData(font);
  ASSERT_GE(id, 0);
  const QString added = QFontDatabase::applicationFontFamilies(id).value(0);
  EXPECT_TRUE(added.startsWith(QStringLiteral("ZQX"))) << added.toStdString();
  EXPECT_FALSE(Items(before).contains(added));
  TKyFlatFontNameComboBoxEx after;
  EXPECT_TRUE(Items(after).contains(added)) << added.toStdString();
  QFontDatabase::removeApplicationFont(id);
  // A filter change fills the list anew as well.
  after.SetOnlyFixedFonts(true);
  after.SetOnlyFixedFonts(false);
  EXPECT_FALSE(Items(after).contains(added));
}

bool OffersAZqxFace(const QComboBox& box) {
  for (const QString& item : Items(box))
    if (item.startsWith(QStringLiteral("ZQX"))) return true;
  return false;
}

// The user's font folder is a temporary one for as long as it lives, as if
// the program had been started with it.
class TTemporaryUserFonts {
 public:
  TTemporaryUserFonts()
      : oldData_(qgetenv("XDG_DATA_HOME")),
        oldCache_(qgetenv("XDG_CACHE_HOME")),
        hadData_(qEnvironmentVariableIsSet("XDG_DATA_HOME")),
        hadCache_(qEnvironmentVariableIsSet("XDG_CACHE_HOME")) {
    QDir(home_.path()).mkpath(QStringLiteral("data/fonts"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home_.filePath(QStringLiteral("cache"))));
    FcInitReinitialize();
  }
  ~TTemporaryUserFonts() {
    Restore("XDG_DATA_HOME", hadData_, oldData_);
    Restore("XDG_CACHE_HOME", hadCache_, oldCache_);
    FcInitReinitialize();
  }
  QString Folder() const { return home_.filePath(QStringLiteral("data/fonts")); }

 private:
  static void Restore(const char* name, bool had, const QByteArray& value) {
    if (had)
      qputenv(name, value);
    else
      qunsetenv(name);
  }

  QTemporaryDir home_;
  QByteArray oldData_, oldCache_;
  bool hadData_, hadCache_;
};

TEST(FontNamePickerTest, AFontFileInstalledWhileTheProgramRunsIsOfferedAtTheNextFilling) {
  testing::QtApp();
  const QByteArray font = RenamedIpaFont();
  if (font.isEmpty()) GTEST_SKIP() << "no IPA font file to make a new face of";
  const TTemporaryUserFonts fonts;

  TKyFlatFontNameComboBoxEx picker;
  EXPECT_FALSE(OffersAZqxFace(picker));
  QFile file(QDir(fonts.Folder()).filePath(QStringLiteral("zqx.ttf")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(font), font.size());
  file.close();

  // Right after the copy, within the same second as the last look.
  picker.SetOnlyFixedFonts(true);
  picker.SetOnlyFixedFonts(false);
  EXPECT_TRUE(OffersAZqxFace(picker));
  EXPECT_TRUE(OffersAZqxFace(TKyFlatFontNameComboBoxEx()));

  // An uninstalled one is gone from the next list.
  ASSERT_TRUE(file.remove());
  EXPECT_FALSE(OffersAZqxFace(TKyFlatFontNameComboBoxEx()));
}

TEST(FontNamePickerTest, SelectsTheNameOrNothingAndKeepsItAcrossFilters) {
  testing::QtApp();
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  if (japanese.isEmpty()) GTEST_SKIP() << "no font covering Japanese is installed";
  TKyFlatFontNameComboBoxEx picker;
  EXPECT_EQ(picker.currentIndex(), -1);
  EXPECT_EQ(picker.FontName(), "");

  const std::string face = platform::FromQString(japanese.front());
  picker.SetFontName(face);
  EXPECT_EQ(picker.currentText(), japanese.front());
  picker.SetOnlyTrueTypeFonts(true);
  picker.SetOnlyTrueTypeFonts(false);
  EXPECT_EQ(picker.currentText(), japanese.front());

  const std::string missing = platform::Utf8ToCp932("ＭＳ Ｐゴシック");
  picker.SetFontName(missing);
  EXPECT_EQ(picker.currentIndex(), -1);
  EXPECT_EQ(picker.FontName(), missing);
}

TEST(FontNamePickerTest, ControlFollowsTheChoiceAndLinkingTakesItsFace) {
  testing::QtApp();
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  if (japanese.isEmpty()) GTEST_SKIP() << "no font covering Japanese is installed";
  QLabel label;
  QFont font = label.font();
  font.setFamily(japanese.back());
  label.setFont(font);

  TKyFlatFontNameComboBoxEx picker;
  int changes = 0;
  picker.OnChange = [&] { ++changes; };
  picker.SetToControl(&label);
  EXPECT_EQ(picker.FontName(), platform::FromQString(japanese.back()));
  EXPECT_EQ(changes, 0);

  // The user's pick: the label follows and the owner hears of it.
  const int index = picker.findText(japanese.front());
  ASSERT_GE(index, 0);
  picker.setCurrentIndex(index);
  emit picker.activated(index);
  EXPECT_EQ(label.font().family(), japanese.front());
  EXPECT_EQ(changes, 1);

  // A destroyed control unlinks itself.
  auto other = std::make_unique<QLabel>();
  picker.SetToControl(other.get());
  other.reset();
  picker.SetFontName("x");
  EXPECT_EQ(picker.ToControl(), nullptr);
}

TEST(FontSizePickerTest, OffersTheFifteenSizesAndKeepsAnyOther) {
  testing::QtApp();
  TKyFlatFontSizeComboBoxEx picker;
  EXPECT_EQ(Items(picker).join(QLatin1Char(',')), QStringLiteral("8,9,10,11,12,14,16,18,20,22,24,26,28,36,48"));
  EXPECT_EQ(picker.FontSize(), 0);
  EXPECT_EQ(picker.currentIndex(), -1);

  const std::pair<int, QString> cases[] = {{12, QStringLiteral("12")}, {13, QString()}, {48, QStringLiteral("48")},
                                           {0, QString()}, {-4, QString()}};
  for (const auto& [size, shown] : cases) {
    picker.SetFontSize(size);
    EXPECT_EQ(picker.FontSize(), size);
    EXPECT_EQ(picker.currentText(), shown) << size;
  }
}

TEST(FontSizePickerTest, ControlFollowsTheChoiceAndLinkingTakesItsSize) {
  testing::QtApp();
  QLabel label;
  QFont font = label.font();
  font.setPointSize(13);
  label.setFont(font);

  TKyFlatFontSizeComboBoxEx picker;
  int changes = 0;
  picker.OnChange = [&] { ++changes; };
  picker.SetToControl(&label);
  EXPECT_EQ(picker.FontSize(), 13);
  EXPECT_EQ(picker.currentIndex(), -1);

  const int index = picker.findText(QStringLiteral("20"));
  picker.setCurrentIndex(index);
  emit picker.activated(index);
  EXPECT_EQ(picker.FontSize(), 20);
  EXPECT_EQ(label.font().pointSize(), 20);
  EXPECT_EQ(changes, 1);

  // A size Qt can't take is stored without touching the control.
  picker.SetFontSize(0);
  EXPECT_EQ(label.font().pointSize(), 20);

  // A font given in pixels is taken over in points.
  QLabel pixels;
  QFont pixelFont = pixels.font();
  pixelFont.setPixelSize(24);
  pixels.setFont(pixelFont);
  picker.SetToControl(&pixels);
  EXPECT_GT(picker.FontSize(), 0);
}

}  // namespace
}  // namespace tansa2
