#include "settings/ui/FontInfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "platform/ui/Colors.h"
#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

TEST(FontInfoTest, SizesOutsideTheRangeKeepTheApplicationsSize) {
  testing::QtApp();
  const int appSize = QFont().pointSize();
  for (const auto& [size, expected] : {std::pair{12, 12}, {1, 1}, {500, 500}, {0, appSize}, {-8, appSize},
                                       {501, appSize}, {100000, appSize}}) {
    TFontInfo info;
    info.Size = size;
    EXPECT_EQ(ToQFont(info).pointSize(), expected) << size;
  }
}

TEST(FontInfoTest, WidgetsKeepTheColourValueAndChildrenShowTheirParents) {
  testing::QtApp();
  QWidget parent;
  auto* child = new QWidget(&parent);
  EXPECT_EQ(WidgetFontInfo(*child).Color, platform::clWindowText);

  TFontInfo info;
  info.Name = "Unknown Family";
  info.Size = 13;
  info.Color = 0x000000FF;  // clRed
  info.Italic = true;
  ApplyFontInfo(parent, info);
  const TFontInfo back = WidgetFontInfo(*child);
  EXPECT_EQ(back.Name, "Unknown Family");  // a font that isn't installed keeps its name
  EXPECT_EQ(back.Size, 13);
  EXPECT_EQ(back.Color, 0x000000FFu);
  EXPECT_TRUE(back.Italic);
  EXPECT_FALSE(back.Bold);
  EXPECT_EQ(child->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::red));
  // Disabled text keeps its grey.
  EXPECT_NE(child->palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::red));

  // Back to the system colour: the application's text colour, not the red.
  info.Color = platform::clWindowText;
  ApplyFontInfo(parent, info);
  EXPECT_EQ(parent.palette().color(QPalette::Active, QPalette::Text),
            QApplication::palette(&parent).color(QPalette::Active, QPalette::Text));
  EXPECT_EQ(WidgetFontInfo(parent).Color, platform::clWindowText);
}

// The desktop switching to a dark theme while the program runs: a window's
// system colour follows, also in its children; a plain colour stays.
TEST(FontInfoTest, ASystemColourFollowsADesktopThemeSwitch) {
  testing::QtApp();
  const QPalette before = QApplication::palette();
  QPalette dark(QColor(0x30, 0x31, 0x32));
  dark.setColor(QPalette::Text, QColor(0xD0, 0xD1, 0xD2));
  for (const auto& [fontColor, expected] :
       {std::pair{platform::clWindowText, dark.color(QPalette::Text)}, {0x000000FFu, QColor(Qt::red)}}) {
    QApplication::setPalette(QPalette(Qt::white));
    QWidget window;
    auto* child = new QWidget(&window);
    TFontInfo info;
    info.Color = fontColor;
    ApplyFontInfo(window, info);
    window.show();
    QApplication::setPalette(dark);
    QApplication::processEvents();
    EXPECT_EQ(window.palette().color(QPalette::Active, QPalette::WindowText), expected) << fontColor;
    EXPECT_EQ(child->palette().color(QPalette::Active, QPalette::Text), expected) << fontColor;
    EXPECT_EQ(WidgetFontInfo(*child).Color, fontColor);
  }
  QApplication::setPalette(before);
}

}  // namespace
}  // namespace tansa2
