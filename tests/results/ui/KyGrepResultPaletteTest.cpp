#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QPalette>
#include <memory>

#include "platform/ui/Colors.h"
#include "results/ui/KyGrepResult.h"
#include "settings/ui/FontInfo.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

// A dark palette whose every role has a colour of its own, so a pixel tells
// which role painted it.
QPalette DarkPalette() {
  QPalette dark;
  const struct {
    QPalette::ColorRole role;
    QColor color;
  } roles[] = {
      {QPalette::Base, QColor(0x20, 0x21, 0x22)},      {QPalette::Text, QColor(0xE0, 0xE1, 0xE2)},
      {QPalette::Button, QColor(0x38, 0x39, 0x3A)},    {QPalette::ButtonText, QColor(0xF0, 0xF1, 0xF2)},
      {QPalette::Mid, QColor(0x60, 0x61, 0x62)},       {QPalette::Highlight, QColor(0x2A, 0x5C, 0xAA)},
      {QPalette::HighlightedText, QColor(0xFF, 0xFE, 0xFD)}, {QPalette::Window, QColor(0x30, 0x31, 0x32)},
      {QPalette::WindowText, QColor(0xD0, 0xD1, 0xD2)},
  };
  for (const auto& r : roles) dark.setColor(r.role, r.color);
  return dark;
}

// Cell (row, col) of `list` in its own coordinates; row -1 is the header.
QRect Cell(const TKyGrepResult& list, int row, int col) {
  if (row < 0) {
    const QHeaderView* header = list.horizontalHeader();
    return QRect(header->sectionViewportPosition(col), 0, header->sectionSize(col), header->height())
        .translated(header->pos());
  }
  return list.visualRect(list.model()->index(row, col)).translated(list.viewport()->pos());
}

bool Contains(const QImage& image, const QRect& area, const QColor& color) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixelColor(x, y) == color) return true;
  return false;
}

// The lightest grey level in `area`: text is drawn smoothed, so its pixels
// approach the pen's colour rather than match it.
int Lightest(const QImage& image, const QRect& area) {
  int lightest = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) lightest = std::max(lightest, qGray(image.pixel(x, y)));
  return lightest;
}

class KyGrepResultPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    list_ = std::make_unique<TKyGrepResult>();
    list_->resize(600, 300);
    list_->setPalette(dark_);
    list_->SetShowGridLine(true);
    for (int i = 0; i < 5; ++i) list_->AddData({"/d/f" + std::to_string(i), i + 1, "abc def", 5, 3});
    list_->show();
    list_->setFocus();
    list_->SelectData(1);
    QApplication::processEvents();
  }
  // The whole list: its header, its rows and its frame.
  QImage Viewport() const { return list_->grab().toImage(); }
  QColor Role(QPalette::ColorRole role) const { return dark_.color(QPalette::Active, role); }

  const QPalette dark_ = DarkPalette();
  std::unique_ptr<TKyGrepResult> list_;
};

TEST_F(KyGrepResultPaletteTest, EveryAreaTakesItsColourFromThePalette) {
  const QImage image = Viewport();
  const QRect header = Cell(*list_, -1, 0);
  const QRect plain = Cell(*list_, 0, 0);
  const QRect selected = Cell(*list_, 1, 0);
  // Well inside each cell: its fill, clear of the text and the grid lines.
  EXPECT_EQ(image.pixelColor(header.left() + 1, header.top() + 1), Role(QPalette::Button));
  EXPECT_EQ(image.pixelColor(plain.left() + 1, plain.top() + 1), Role(QPalette::Base));
  EXPECT_EQ(image.pixelColor(selected.left() + 1, selected.top() + 1), Role(QPalette::Highlight));
  // Below the last row the list's background.
  const QRect past = Cell(*list_, 4, 2).translated(0, 2 * Cell(*list_, 4, 2).height());
  EXPECT_EQ(image.pixelColor(past.center()), Role(QPalette::Base));
  // Grid lines on the cells' bottom and right edges.
  EXPECT_EQ(image.pixelColor(plain.center().x(), plain.bottom()), Role(QPalette::Mid));
  EXPECT_EQ(image.pixelColor(plain.right(), plain.center().y()), Role(QPalette::Mid));
  EXPECT_EQ(image.pixelColor(header.center().x(), header.bottom()), Role(QPalette::Mid));
  // The texts in their roles' light colours, never the light palette's black.
  EXPECT_GT(Lightest(image, header), qGray(Role(QPalette::Button).rgb()) + 100);
  EXPECT_GT(Lightest(image, plain), qGray(Role(QPalette::Base).rgb()) + 100);
  EXPECT_GT(Lightest(image, selected), qGray(Role(QPalette::Highlight).rgb()) + 100);
  EXPECT_FALSE(Contains(image, image.rect(), QColor(Qt::black)));

  // The frame around the list.
  const QImage whole = list_->grab().toImage();
  EXPECT_EQ(whole.pixelColor(whole.width() / 2, 0), Role(QPalette::Mid));
}

TEST_F(KyGrepResultPaletteTest, TheMatchKeepsItsOwnReadablePairOnADarkRow) {
  const QImage image = Viewport();
  const QRect line = Cell(*list_, 0, 2);
  const QColor matchBk = platform::ToQColor(list_->ColorMatchBk(), dark_);
  const QColor match = platform::ToQColor(list_->ColorMatch(), dark_);
  EXPECT_TRUE(Contains(image, line, matchBk));
  // Its text stands out from its own background whatever the row's colour.
  EXPECT_GT(std::abs(qGray(matchBk.rgb()) - qGray(match.rgb())), 100);
  bool matchText = false;
  for (int x = line.left(); x <= line.right() && !matchText; ++x)
    for (int y = line.top(); y <= line.bottom() && !matchText; ++y) {
      const QColor pixel = image.pixelColor(x, y);
      matchText = pixel.blue() - pixel.red() > 100;  // the default blue, not the row's grey text
    }
  EXPECT_TRUE(matchText);
}

TEST_F(KyGrepResultPaletteTest, ASwitchOfPaletteRepaintsInTheNewColours) {
  QPalette light;
  light.setColor(QPalette::Base, QColor(0xFA, 0xFB, 0xFC));
  list_->setPalette(light);
  QApplication::processEvents();
  const QRect plain = Cell(*list_, 0, 0);
  EXPECT_EQ(Viewport().pixelColor(plain.left() + 1, plain.top() + 1), QColor(0xFA, 0xFB, 0xFC));
}

// A desktop switching to a dark theme while the program runs: the list's
// font colour, a system colour, follows; a plain one stays as chosen. The
// list sits in a window, as it does in the program.
TEST_F(KyGrepResultPaletteTest, TheFontsSystemColourFollowsADesktopThemeSwitch) {
  const QPalette before = QApplication::palette();
  const struct {
    uint32_t fontColor;
    bool light;
  } cases[] = {{platform::clWindowText, true}, {0x00000080, false}};  // the latter a dark red
  for (const auto& c : cases) {
    QApplication::setPalette(QPalette(Qt::white));  // a light desktop: black text
    QWidget window;
    auto* list = new TKyGrepResult(&window);
    list->resize(400, 200);
    list->AddData({"/d/f", 1, "abc", 1, 1});
    list->SelectData(1);
    TFontInfo font;
    font.Color = c.fontColor;
    ApplyFontInfo(*list, font);
    window.show();
    QApplication::setPalette(dark_);
    QApplication::processEvents();
    const QImage image = list->grab().toImage();
    EXPECT_EQ(image.pixelColor(Cell(*list, 0, 0).topLeft() + QPoint(1, 1)), Role(QPalette::Base));
    EXPECT_EQ(Lightest(image, Cell(*list, 0, 0)) > qGray(Role(QPalette::Base).rgb()) + 100, c.light)
        << c.fontColor;
  }
  QApplication::setPalette(before);
}

}  // namespace
}  // namespace tansa2
