#include "controls/ui/Icons.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "tests/support/QtApp.h"

namespace tansa2 {
namespace {

TEST(IconsTest, DrawnForTheScreensPixelRatio) {
  testing::QtApp();
  const struct {
    int logical;
    qreal ratio;
  } cases[] = {{16, 1.0}, {16, 1.5}, {16, 2.0}, {16, 3.0}, {24, 2.0}, {32, 4.0}};
  for (TCommandImage image : {ciExit, ciGrepStart, ciResultSave, ciToolBar}) {
    const QIcon icon = CommandIcon(image);
    for (const auto& c : cases) {
      const QPixmap pixmap = icon.pixmap(QSize(c.logical, c.logical), c.ratio);
      const int pixels = qRound(c.logical * c.ratio);
      EXPECT_EQ(pixmap.size(), QSize(pixels, pixels)) << image << " " << c.logical << "@" << c.ratio;
      EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), c.ratio);
      // Every device pixel drawn: the same picture as the icon at that many plain pixels.
      EXPECT_EQ(pixmap.toImage(), icon.pixmap(QSize(pixels, pixels), 1.0).toImage()) << image << " " << pixels;
    }
  }
}

TEST(IconsTest, DisabledLooksDifferentFromNormal) {
  testing::QtApp();
  const QIcon icon = CommandIcon(ciGrepCancel);
  const QImage normal = icon.pixmap(QSize(32, 32), 1.0, QIcon::Normal).toImage();
  const QImage disabled = icon.pixmap(QSize(32, 32), 1.0, QIcon::Disabled).toImage();
  EXPECT_EQ(disabled.size(), normal.size());
  EXPECT_NE(disabled.convertToFormat(QImage::Format_ARGB32), normal.convertToFormat(QImage::Format_ARGB32));
  EXPECT_TRUE(icon.pixmap(QSize(0, 0), 2.0).isNull());
}

}  // namespace
}  // namespace tansa2
